#!/usr/bin/env bash
# Installs the NSIS installer of tools/windows/package.sh silently (/S) into a
# Wine prefix of its own, checks the program folder, the Start-menu entry and
# the uninstall entry, then uninstalls silently and checks that all is gone.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
source "$top/tools/windows/wineenv.sh"
setup=$(ls "$build"/package/vestan-*-win64-setup.exe | head -1)
vestan_wine_prefix "$build/wineprefix-install"
dest="$WINEPREFIX/drive_c/Program Files/Vestan"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vestan/Vestan.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vestan'
fail() { echo "package-check: $*" >&2; exit 1; }

wine "$setup" /S
wineserver -w
for f in vestan.exe vestan-cli.exe trvCLNK.dll tarvel.dll Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
  libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
  styles/qwindowsvistastyle.dll imageformats/qico.dll uninstall.exe; do
  [ -f "$dest/$f" ] || fail "not installed: $f"
done
[ -f "$menu" ] || fail "no Start-menu entry"
wine reg query "$key" /v DisplayName 2>/dev/null | grep -q Vestan || fail "no uninstall entry"
echo "package-check: installed into C:\\Program Files\\Vestan with its Start-menu entry"

wine "$dest/uninstall.exe" /S
wineserver -w
sleep 2
[ ! -e "$dest/vestan.exe" ] || fail "vestan.exe left after uninstalling"
[ ! -e "$dest" ] || fail "the program folder is left: $(ls "$dest")"
[ ! -f "$menu" ] || fail "the Start-menu entry is left"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is left"
echo "package-check: uninstalled, nothing left"
