#!/usr/bin/env bash
# Meets the Debian package as its users do. In a fresh Debian 12 root made by
# debootstrap, setup runs as root and tools/package-deb.sh as a plain user on
# a copy of this tree, and lintian checks the package; a second fresh root
# installs it with apt-get, without recommended packages, and the menu entry's
# command starts as a plain user under Xvfb. Fails when lintian reports an
# error, a warning or missing hardening; when a manual page, the copyright
# file or a hicolor icon is missing; when a command-line tool has no
# --version; when the window does not appear, a message box comes up instead
# or over it, or the window is not of the class its entry names; when the tool
# bar's icons are not drawn; when the window loads a Qt plugin the package
# does not depend on.
#
# Needs root (debootstrap, chroot, mounts) and the Debian mirror. The
# bootstrapped root and the build root with setup's packages are kept as
# tarballs in $VESTAN_CACHE/debian (~/.cache/vestan/debian), the latter under
# the hash of tools/setup.sh; when setup changes, the newest build root runs
# the new setup and is kept again. So only the first run pays for debootstrap
# and setup's packages. VESTAN_CHECK_DEB_SHOT=FILE keeps the
# picture of the window the check looked at; VESTAN_CHECK_DEB_PICTURES=DIR
# takes the user guide's pictures (tools/shots) in the installed root.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cache=${VESTAN_CACHE:-$HOME/.cache/vestan}/debian
mirror=${VESTAN_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=bookworm

if [ "$(id -u)" -ne 0 ]; then
  echo "check-deb: needs root for debootstrap, chroot and mounts" >&2
  exit 1
fi
"$top/tools/setup.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/vestan-check-deb.XXXXXX")
mounts=()
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}" || umount -l "${mounts[i]}" || true; done
  # Never through a mount that stayed: /dev of the host is bound in.
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

failed=0
fail() {
  echo "check-deb: $*" >&2
  failed=1
}
step() { echo "check-deb: $(date +%T) $*"; }
mountIn() { # SOURCE TARGET [OPTIONS...]
  mkdir -p "$2"
  mount "${@:3}" "$1" "$2"
  mounts+=("$2")
}
# A tarball appears whole or not at all.
keep() { # ROOT TARBALL
  mkdir -p "$cache"
  tar -C "$1" -cf "$2.part" . && mv "$2.part" "$2"
}
# A fresh root from a tarball, with /proc, /dev, the host's resolver, no
# services started by packages, and a plain user.
newRoot() { # NAME TARBALL USER
  local root=$work/$1
  mkdir -p "$root"
  tar -C "$root" -xf "$2"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"
  mountIn proc "$root/proc" -t proc
  mountIn /dev "$root/dev" --bind
  mountIn /dev/pts "$root/dev/pts" --bind
  [ -z "${3:-}" ] || chroot "$root" useradd -m -s /bin/bash "$3"
}
asUser() { # ROOT USER COMMAND...
  chroot --userspec="$2:$2" "$1" env -i HOME="/home/$2" USER="$2" LANG=C.UTF-8 \
    PATH=/usr/local/bin:/usr/bin:/bin "${@:3}"
}

baseTar=$cache/$suite-minbase.tar
if [ ! -f "$baseTar" ]; then
  step "bootstrapping $suite from $mirror"
  debootstrap --variant=minbase "$suite" "$work/boot" "$mirror" > "$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log" >&2; exit 1; }
  keep "$work/boot" "$baseTar"
  rm -rf --one-file-system "$work/boot"
fi

# The build machine: setup's packages installed by setup itself, as root.
setupHash=$(sha256sum "$top/tools/setup.sh" | cut -c1-16)
buildTar=$cache/$suite-build-$setupHash.tar
if [ ! -f "$buildTar" ]; then
  older=$(ls -t "$cache/$suite"-build-*.tar 2>/dev/null | head -1) || true
  step "installing setup's packages into ${older:-a fresh root}"
  newRoot setup "${older:-$baseTar}"
  cp "$top/tools/setup.sh" "$work/setup/tmp/setup.sh"
  chroot "$work/setup" /tmp/setup.sh > "$work/setup.log" 2>&1 || { tail -20 "$work/setup.log" >&2; exit 1; }
  chroot "$work/setup" apt-get clean
  rm "$work/setup/tmp/setup.sh" "$work/setup/usr/sbin/policy-rc.d"
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}"; done
  mounts=()
  keep "$work/setup" "$buildTar"
  rm -rf --one-file-system "$work/setup"
  for old in "$cache/$suite"-build-*.tar; do [ "$old" = "$buildTar" ] || rm -f "$old"; done
fi

step "making the package as a plain user"
build=$work/build
newRoot build "$buildTar" builder
src=$build/home/builder/vestan
mkdir -p "$src"
(cd "$top" && git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -C "$src" -xf -
# The compiled objects outlive the root, so a second run builds in seconds.
mkdir -p "$cache/ccache"
mountIn "$cache/ccache" "$build/home/builder/.cache/ccache" --bind
chroot "$build" chown -R builder:builder /home/builder
asUser "$build" builder bash -c 'cd ~/vestan && ./tools/package-deb.sh' > "$work/package.log" 2>&1 ||
  { tail -30 "$work/package.log" >&2; exit 1; }
deb=$(ls "$src"/build/package/vestan_*.deb)
debName=$(basename "$deb")
step "made $debName"

step "lintian"
cp "$deb" "$build/tmp/"
if ! asUser "$build" builder lintian --fail-on error,warning --display-info "/tmp/$debName" > "$work/lintian.log" 2>&1; then
  fail "lintian reports errors or warnings"
fi
sed 's/^/lintian: /' "$work/lintian.log"
grep -q '^[EW]: ' "$work/lintian.log" && fail "lintian: errors or warnings above"
# Lintian only informs about missing hardening, but the package promises it.
grep -q '^I: [^ ]*: hardening-no-' "$work/lintian.log" && fail "lintian: built without the distribution's hardening"

step "installing the package with apt-get into a fresh root"
inst=$work/install
newRoot install "$baseTar" user
cp "$deb" "$inst/tmp/"
chroot "$inst" env DEBIAN_FRONTEND=noninteractive sh -c \
  "apt-get update -qq && apt-get install -y -qq --no-install-recommends /tmp/$debName" \
  > "$work/apt.log" 2>&1 || { tail -20 "$work/apt.log" >&2; exit 1; }

for program in vestan vestan-cli trvsim linesim; do
  [ -f "$inst/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
done
[ -f "$inst/usr/share/doc/vestan/copyright" ] || fail "no copyright file"
[ ! -f "$inst/usr/share/doc/vestan/copyright" ] ||
  grep -q '^License: Apache-2.0' "$inst/usr/share/doc/vestan/copyright" || fail "the copyright file names no licence"
for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256; do
  [ -f "$inst/usr/share/icons/hicolor/$size/apps/vestan.png" ] || fail "no $size hicolor icon"
done
[ -f "$inst/usr/share/icons/hicolor/scalable/apps/vestan.svg" ] || fail "no scalable hicolor icon"
version=$(dpkg-deb -f "$deb" Version)
for tool in vestan-cli trvsim linesim; do
  said=$(asUser "$inst" user "$tool" --version 2>&1) || true
  [ "$said" = "$tool ${version%-*}" ] || fail "$tool --version says '$said'"
done
dpkg-deb -f "$deb" Recommends | grep -qw qt6-translations-l10n || fail "Qt's translations are not recommended"

step "starting the menu entry's command as a plain user under Xvfb"
entry=$inst/usr/share/applications/org.vestan.Vestan.desktop
command=$(sed -n 's/^Exec=//p' "$entry" | sed 's/ *%[fFuUick]//g')
wmClass=$(sed -n 's/^StartupWMClass=//p' "$entry")
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(cat "$work/display")
mountIn /tmp/.X11-unix "$inst/tmp/.X11-unix" --bind
asUser "$inst" user env DISPLAY="$display" sh -c "cd && exec $command" > "$work/window.log" 2>&1 &
pids+=($!)
# Top-level windows on view wider than 200 pixels: id, class, type.
shownWindows() {
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | awk '
    match($0, /\("[^"]*" "[^"]*"\) +[0-9]+x[0-9]+/) {
      split(substr($0, RSTART, RLENGTH), q, "\""); sub(/^\) +/, "", q[5]); split(q[5], size, "x")
      if (size[1] > 200) print $1, q[4]
    }' | while read -r id class; do
    DISPLAY=$display xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
    echo "$id $class $(DISPLAY=$display xprop -id "$id" _NET_WM_WINDOW_TYPE | sed 's/^.* = //; s/,.*//')"
  done
}
windows=
for _ in $(seq 150); do
  windows=$(shownWindows)
  [ -n "$windows" ] && break
  kill -0 "${pids[-1]}" 2>/dev/null || break
  sleep 0.2
done
# A message box at start-up comes on its own or over the window: either fails.
sleep 2
windows=$(shownWindows)
window=
while read -r id class type; do
  [ -n "$id" ] || continue
  if [ "$type" = _NET_WM_WINDOW_TYPE_NORMAL ]; then
    window=$id windowClass=$class
  else
    fail "a $type window came up: $(DISPLAY=$display xprop -id "$id" _NET_WM_NAME | sed 's/^[^=]*= //')"
  fi
done <<< "$windows"
if [ -z "$window" ]; then
  fail "no window appeared"
  sed 's/^/window: /' "$work/window.log" >&2
else
  [ "$windowClass" = "$wmClass" ] || fail "the window's class '$windowClass' is not the entry's StartupWMClass '$wmClass'"
  DISPLAY=$display import -window "$window" "$work/window.png"
  [ -z "${VESTAN_CHECK_DEB_SHOT:-}" ] || cp "$work/window.png" "$VESTAN_CHECK_DEB_SHOT"
  # The tool bar's strip: its icons are the only coloured pixels there, so
  # blank icons leave a strip of greys.
  coloured=$(convert "$work/window.png" -crop x40+0+0 +repage -type TrueColor -depth 8 txt:- |
    awk 'NR > 1 { sub(/^[^(]*\(/, ""); split($0, c, /[,)]/); hi = lo = c[1]
      for (i = 2; i <= 3; i++) { if (c[i] > hi) hi = c[i]; if (c[i] < lo) lo = c[i] }
      if (hi - lo > 120) n++ } END { print n + 0 }')
  step "$coloured coloured pixels in the tool bar"
  [ "$coloured" -ge 200 ] || fail "the tool bar's icons are not drawn ($coloured coloured pixels)"
  # Every plugin Qt loaded comes from a package the package depends on.
  depends=$(dpkg-deb -f "$deb" Depends)
  program=$(DISPLAY=$display xprop -id "$window" _NET_WM_PID | sed -n 's/.* = //p')
  for plugin in $(grep -o '/usr/lib/[^ ]*/qt6/plugins/.*\.so' "/proc/$program/maps" | sort -u); do
    owner=$(chroot "$inst" dpkg -S "$plugin" | cut -d: -f1)
    step "loaded $plugin from $owner"
    echo "$depends" | grep -qE "(^|, )$owner( |,|$)" || fail "$plugin comes from $owner, not a dependency"
  done
fi

# The user guide's pictures from the installed program: the picture taker,
# built beside the package, runs in the installed root on the installed
# libraries, simulators and Qt, as the plain user.
if [ -n "${VESTAN_CHECK_DEB_PICTURES:-}" ] && [ "$failed" -eq 0 ]; then
  step "taking the user guide's pictures in the installed root"
  kill "${pids[-1]}" 2>/dev/null || true
  asUser "$build" builder bash -c 'cd ~/vestan && cmake --build build/deb -j2 --target vestan_shots' \
    > "$work/shots-build.log" 2>&1 || { tail -30 "$work/shots-build.log" >&2; exit 1; }
  shots=$inst/home/user/shots
  mkdir -p "$shots/bin"
  cp "$src/build/deb/bin/vestan_shots" "$shots/bin/"
  ln -s /usr/lib/vestan/trvCLNK.so "$shots/bin/trvCLNK.so"
  ln -s /usr/bin/trvsim /usr/bin/linesim "$shots/bin/"
  chroot "$inst" chown -R user:user /home/user/shots
  if asUser "$inst" user env DISPLAY="$display" LD_LIBRARY_PATH=/usr/lib/vestan \
    /home/user/shots/bin/vestan_shots --out /home/user/shots/pictures > "$work/shots.log" 2>&1; then
    mkdir -p "$VESTAN_CHECK_DEB_PICTURES"
    cp "$shots"/pictures/*.png "$VESTAN_CHECK_DEB_PICTURES/"
    step "pictures in $VESTAN_CHECK_DEB_PICTURES"
  else
    fail "the pictures could not be taken"
    sed 's/^/shots: /' "$work/shots.log" >&2
  fi
fi

if [ "$failed" -eq 0 ]; then
  step "the package $debName installs and starts as users meet it"
fi
exit "$failed"
