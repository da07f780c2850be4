#!/usr/bin/env bash
# Takes the Windows pictures of the user guide (docs/images/win-*.png, or the
# folder given) from the installed program under Wine's own windows in a Wine
# virtual desktop on Xvfb, in a Russian locale: the installer's last page;
# the loader's message without trvCLNK.dll; the main window started from the
# Start-menu entry; the information page read from the Linux trvsim through
# Wine's COM2; then the close box, which must end the program with vestan.ini
# written. Needs the installer (tools/windows/package.sh) and the Linux trvsim.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
linux=${VESTAN_BUILD:-$top/build}
out=$(realpath -m "${1:-$top/docs/images}")
size=880x600 # the clicks below are placed for this size

if [ -z "${VESTAN_SHOTS_INNER:-}" ]; then
  ls "$build"/vestan-*-win64-setup.exe >/dev/null 2>&1 || "$top/tools/windows/package.sh" >/dev/null
  [ -x "$linux/bin/trvsim" ] || cmake --build "$linux" -j2 --target trvsim
  VESTAN_SHOTS_INNER=1 exec xvfb-run -a -s "-screen 0 ${size}x24" "$0" "$out"
fi

setup=$(ls "$build"/vestan-*-win64-setup.exe | tail -1)
if locale -a 2>/dev/null | grep -qix 'ru_RU.utf-\?8'; then export LC_ALL=ru_RU.UTF-8; fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$build/wineprefix-shots
unset WINEPATH
if [ ! -f "$WINEPREFIX/.vestan-ready" ]; then
  echo "shots: preparing the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  # Wine's Marlett draws the caption buttons; DejaVu stands in for the
  # system's interface fonts, since Wine's Tahoma lacks glyphs such as "№".
  fonts=$WINEPREFIX/drive_c/windows/Fonts
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  cp /usr/share/fonts/truetype/dejavu/DejaVuSans{,-Bold,Mono,Mono-Bold}.ttf "$fonts/"
  cat >"$WINEPREFIX/shots.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Tahoma"="DejaVu Sans"
"MS Shell Dlg"="DejaVu Sans"
"MS Shell Dlg 2"="DejaVu Sans"
"MS Sans Serif"="DejaVu Sans"
"Segoe UI"="DejaVu Sans"
"Arial"="DejaVu Sans"
"Courier New"="DejaVu Sans Mono"
"Fixedsys"="DejaVu Sans Mono"
"Consolas"="DejaVu Sans Mono"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$size"
EOF
  wine regedit "$WINEPREFIX/shots.reg" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vestan-ready"
fi

work=$(mktemp -d /tmp/vestan-shots.XXXXXX)
sim=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com2"
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out"
app="$WINEPREFIX/drive_c/Program Files/Vestan"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"

shot() { import -window root "$out/$1"; echo "shots: $out/$1"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-1}"; }
ended() { # PID: true once the program has ended by itself
  for _ in $(seq 40); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.25; done
  return 1
}
# The Linux process of the installed vestan.exe, once it runs.
started() {
  local pid
  for _ in $(seq 60); do
    for pid in $(pgrep -f 'Vestan.vestan\.exe'); do
      tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$pid"; return 0; }
    done
    sleep 0.5
  done
  return 1
}

# The installer as a user runs it: the licences, the folder, the files, then
# its last page, which offers to start the program.
window() { # TITLE PART: waits until such a window shows
  for _ in $(seq 120); do xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0; sleep 0.5; done
  echo "shots: no window '$1'" >&2
  return 1
}
rm -rf "$app"
wine "$setup" >"$work/setup.log" 2>&1 &
installer=$!
window Vestan
sleep 2
xdotool key Return # the licences: "Принимаю"
sleep 2
xdotool key Return # the folder: "Установить"
for _ in $(seq 120); do [ -f "$app/Uninstall.exe" ] && break; sleep 0.5; done
sleep 4
shot win-setup-finish.png
xdotool key Return # "Готово", the program started as offered
ended $installer || { echo "shots: the installer's last page did not close" >&2; exit 1; }
if program=$(started); then
  echo "shots: the installer's last page started the program"
  wine taskkill /im vestan.exe >/dev/null 2>&1 || true
  if ! ended "$program"; then
    wine taskkill /f /im vestan.exe >/dev/null 2>&1 || true
    ended "$program" || kill "$program"
  fi
else
  echo "shots: the installer's last page started no program" >&2
  exit 1
fi
shortcut=$(ls "$menu"/Вестан.lnk "$menu"/Vestan.lnk 2>/dev/null | head -1 || true)
[ -n "$shortcut" ] || { echo "shots: no Start-menu entry in $menu" >&2; exit 1; }
rm -f "$app/vestan.ini"

# Without the link library only the loader speaks.
# Held out of the loader's places (the program's parent folder is one).
mkdir "$work/held"
mv "$app/trvCLNK.dll" "$work/held/"
wine start /unix "$shortcut" >"$work/noloader.log" 2>&1
program=$(started) || { echo "shots: the Start-menu entry started nothing" >&2; exit 1; }
sleep 6
kill -0 "$program" 2>/dev/null || { echo "shots: the program ended without the loader's message" >&2; exit 1; }
shot win-no-library.png
# The box, not the window behind it, takes the key.
xdotool search --onlyvisible --name 'trvCLNK' windowactivate --sync >/dev/null 2>&1 || true
xdotool key Return
ended "$program" || { echo "shots: the loader's message did not end the program" >&2; exit 1; }
mv "$work/held/trvCLNK.dll" "$app/"

# The window on the simulated controller behind COM2, the default port.
"$linux/bin/trvsim" --link "$work/line" --net 33 >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -L "$work/line" ] && break; sleep 0.1; done
ln -sfn "$(readlink "$work/line")" "$WINEPREFIX/dosdevices/com2"
wine start /unix "$shortcut" >"$work/vestan.log" 2>&1
program=$(started) || { echo "shots: the Start-menu entry started nothing" >&2; exit 1; }
sleep 8
kill -0 "$program" 2>/dev/null || { echo "shots: the program ended at start: $(cat "$work/vestan.log")" >&2; exit 1; }
# Places in the window as Wine puts it on a desktop of this size.
shot win-main.png
click 553 110 3 # "Открыть"
click 504 140 2 # the page "Информация"
click 201 214 4 # "Читать"
click 159 172 3 # "Питание"
shot win-info.png
click 763 83 2 # the close box
ended "$program" || { echo "shots: the close box did not end the program" >&2; exit 1; }
grep -q '^IdNet=33' "$app/vestan.ini" || { echo "shots: no vestan.ini after the close box" >&2; exit 1; }
echo "shots: the close box ended the program and vestan.ini was written"
