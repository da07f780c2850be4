# Sourced by the Windows scripts: a Wine prefix for running the cross build
# headless. Wine passes no QT_* variable through, so the Qt settings live in
# the prefix's registry.
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

vestan_wine_prefix() {
  export WINEPREFIX=$1
  local qt=${VESTAN_WINSDK:-$HOME/.cache/vestan/winsdk}/qt6-mingw64
  local build=${VESTAN_WINBUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build-win}
  # Qt's and MinGW's DLLs, the program's folder, the tests' bare-name folder.
  export WINEPATH="Z:${qt//\//\\}\\bin;Z:${build//\//\\}\\bin;Z:${build//\//\\}\\testlibs\\onpath"
  if [ ! -f "$WINEPREFIX/.vestan-ready" ]; then
    echo "windows: preparing the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    local reg='HKCU\Environment'
    wine reg add "$reg" /v QT_FORCE_STDERR_LOGGING /d 1 /f >/dev/null 2>&1
    wine reg add "$reg" /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
    wine reg add "$reg" /v QT_QPA_FONTDIR /d 'Z:\usr\share\fonts\truetype\dejavu' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vestan-ready"
  fi
}
