#!/usr/bin/env bash
# The packaged program under Wine's own windows on a virtual X display: without
# trvCLNK.dll only the loader's message box shows; with it the main window,
# whose closing (as the close box does it) writes vestan.ini beside the
# program. Screenshots go to $1 (default build-win/shots).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
out=${1:-$build/shots}
stage=$(ls -d "$build"/package/vestan-*-win64 | head -1)
export WINEPREFIX=$build/wineprefix-x11 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$out"
if [ ! -f "$WINEPREFIX/.vestan-ready" ]; then
  wine wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /d 1 /f >/dev/null 2>&1
  # No window manager on the virtual display: Wine draws the captions itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vestan-ready"
fi
work=$(mktemp -d /tmp/vestan-shots.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r "$stage" "$work/with"
cp -r "$stage" "$work/without"
rm "$work/without/trvCLNK.dll"

export out work
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  wine "$work/without/vestan.exe" & p=$!
  sleep 12; import -window root "$out/win-no-library.png"
  wine taskkill /im vestan.exe >/dev/null 2>&1 || true; sleep 2; kill $p 2>/dev/null || true
  wineserver -k || true
  wine "$work/with/vestan.exe" & p=$!
  sleep 15; import -window root "$out/win-main.png"
  wine taskkill /im vestan.exe >/dev/null 2>&1 || true
  for _ in $(seq 20); do kill -0 $p 2>/dev/null || break; sleep 0.5; done
  wineserver -k || true
'
ls "$work/with"
if [ -f "$work/with/vestan.ini" ]; then
  echo "shots: closing the window wrote vestan.ini beside vestan.exe:"
  tr -d '\r' <"$work/with/vestan.ini" | head -5
else
  echo "shots: no vestan.ini after closing the window" >&2
fi
echo "shots: $out"
