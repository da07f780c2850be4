#!/usr/bin/env bash
# Checks the Windows downloads of tools/windows/package.sh under Wine, with
# nothing of the build on Wine's DLL path: the unpacked zip runs vestan-cli;
# the installer installs silently into Program Files with its Start-menu entry
# and its Add/Remove Programs entry; the installed program starts, ends by its
# close box with vestan.ini written; the uninstaller removes all of it.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}

"$top/tools/windows/package.sh" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=vestan-$version

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$build/wineprefix-package
unset WINEPATH
if [ ! -f "$WINEPREFIX/.vestan-ready" ]; then
  echo "check-package: preparing the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  # Windows without a display: the program's window still opens and closes.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vestan-ready"
fi

work=$(mktemp -d /tmp/vestan-check-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "check-package: FAILED: $*" >&2; failed=$((failed + 1)); }
pass() { echo "check-package: ok: $*"; }
runs() { # DIR: vestan-cli.exe there answers --help with its usage
  wine "$1/vestan-cli.exe" --help >"$work/help.txt" 2>&1 && grep -q '^usage: vestan-cli' "$work/help.txt"
}

# The zip: one folder, nothing that does not ship.
(cd "$work" && unzip -q "$build/$name-win64.zip")
[ "$(ls "$work")" = "$name" ] || fail "the zip holds $(ls "$work" | tr '\n' ' ')instead of $name/"
extra=$(cd "$work/$name" && find . -name '*.a' -o -name 'test*' -o -name '*.dll.a' -o -name 'qoffscreen.dll')
[ -z "$extra" ] || fail "the zip holds files that do not ship: $extra"
if runs "$work/$name"; then pass "vestan-cli.exe runs from the unpacked zip"; else fail "vestan-cli.exe from the zip: $(cat "$work/help.txt")"; fi

# The installer, silent, into a clean Program Files.
dest="$WINEPREFIX/drive_c/Program Files/Vestan"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vestan'
rm -rf "$dest"
wine "$build/$name-win64-setup.exe" /S
wineserver -w
missing=$(cd "$work/$name" && find . -type f | while read -r f; do cmp -s "$f" "$dest/$f" || echo "$f"; done)
if [ -d "$dest" ] && [ -z "$missing" ] && [ -f "$dest/Uninstall.exe" ]; then
  pass "the installer put every file into Program Files\\Vestan"
else
  fail "installed files missing or different: ${missing:-the folder or Uninstall.exe}"
fi
[ -f "$menu/Vestan.lnk" ] || [ -f "$menu/Вестан.lnk" ] || fail "no Start-menu entry in $menu"
if wine reg query "$key" /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe'; then
  pass "Start-menu entry and Add/Remove Programs entry"
else
  fail "no Add/Remove Programs entry $key"
fi
if runs "$dest"; then pass "the installed vestan-cli.exe runs"; else fail "installed vestan-cli.exe: $(cat "$work/help.txt")"; fi

# The installed window: up, then ended by a close message as by its close box.
wine "$dest/vestan.exe" >"$work/vestan.log" 2>&1 &
program=$!
sleep 4
wine taskkill /im vestan.exe >/dev/null 2>&1 || true
for _ in $(seq 40); do kill -0 $program 2>/dev/null || break; sleep 0.25; done
if kill -0 $program 2>/dev/null; then
  fail "the installed vestan.exe did not end on its close message"
  wine taskkill /f /im vestan.exe >/dev/null 2>&1 || true
  wait $program || true
elif ! wait $program; then
  fail "the installed vestan.exe ended with an error: $(cat "$work/vestan.log")"
elif ! grep -q '^IdNet=33' "$dest/vestan.ini" 2>/dev/null; then
  fail "the installed vestan.exe wrote no vestan.ini beside itself"
else
  pass "the installed vestan.exe starts, ends by its close message and writes vestan.ini"
fi

# The uninstaller takes everything, the settings beside the program too.
wine "$dest/Uninstall.exe" /S
wineserver -w
if [ -e "$dest" ]; then
  fail "left after uninstalling: $(cd "$dest" && find . | tr '\n' ' ')"
elif [ -f "$menu/Vestan.lnk" ] || [ -f "$menu/Вестан.lnk" ] || wine reg query "$key" >/dev/null 2>&1; then
  fail "the Start-menu entry or the Add/Remove Programs entry is left after uninstalling"
else
  pass "the uninstaller removed the folder, the Start-menu entry and the Add/Remove Programs entry"
fi

[ $failed -eq 0 ] || exit 1
echo "check-package: $name-win64.zip and $name-win64-setup.exe under Wine"
