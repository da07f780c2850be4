#!/usr/bin/env bash
# Makes the Windows downloads from the cross build: vestan-<version>-win64.zip
# (the program, vestan-cli, both libraries, the Qt DLLs and plugins they need,
# the MinGW runtime, Qt's Russian texts) and vestan-<version>-win64-setup.exe,
# an NSIS installer of the same folder (per machine into Program Files, a
# Start-menu entry, an uninstaller). Both land in $VESTAN_WINBUILD/package/.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
qt=${VESTAN_WINSDK:-$HOME/.cache/vestan/winsdk}/qt6-mingw64

"$top/tools/windows/build.sh" vestan vestan-cli trvCLNK tarvel
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=vestan-$version-win64
out=$build/package
stage=$out/$name
rm -rf "$stage" "$out/$name.zip" "$out/$name-setup.exe"
mkdir -p "$stage"/{platforms,styles,imageformats,translations}

strip=x86_64-w64-mingw32-strip
for f in vestan.exe vestan-cli.exe trvCLNK.dll tarvel.dll; do
  $strip -o "$stage/$f" "$build/bin/$f"
done
cp "$qt"/bin/{Qt6Core,Qt6Gui,Qt6Widgets}.dll "$qt"/bin/{libstdc++-6,libgcc_s_seh-1,libwinpthread-1}.dll "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$qt"/plugins/imageformats/{qgif,qico}.dll "$stage/imageformats/"
# Qt's own buttons and dialogs in Russian, where the build machine has them.
for qm in /usr/share/qt6/translations/qtbase_ru.qm; do
  [ -f "$qm" ] && cp "$qm" "$stage/translations/"
done
rmdir "$stage/translations" 2>/dev/null || true

(cd "$out" && rm -f "$name.zip" && python3 -c '
import os, sys, zipfile
name = sys.argv[1]
with zipfile.ZipFile(name + ".zip", "w", zipfile.ZIP_DEFLATED) as z:
    for root, dirs, files in os.walk(name):
        dirs.sort()
        for f in sorted(files):
            z.write(os.path.join(root, f))
' "$name")

cat > "$out/vestan.nsi" <<NSI
Unicode true
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support runs it).
Target amd64-unicode
!define NAME "Vestan"
!define VERSION "$version"
!define UNINST "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vestan"
Name "\${NAME} \${VERSION}"
OutFile "$name-setup.exe"
InstallDir "\$PROGRAMFILES64\\Vestan"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Vestan"
  SetShellVarContext all
  SetRegView 64
  SetOutPath "\$INSTDIR"
  File /r "$name\\*.*"
  WriteUninstaller "\$INSTDIR\\uninstall.exe"
  CreateDirectory "\$SMPROGRAMS\\Vestan"
  CreateShortcut "\$SMPROGRAMS\\Vestan\\Vestan.lnk" "\$INSTDIR\\vestan.exe"
  WriteRegStr HKLM "\${UNINST}" "DisplayName" "\${NAME}"
  WriteRegStr HKLM "\${UNINST}" "DisplayVersion" "\${VERSION}"
  WriteRegStr HKLM "\${UNINST}" "Publisher" "Vestan developers"
  WriteRegStr HKLM "\${UNINST}" "UninstallString" '"\$INSTDIR\\uninstall.exe"'
  WriteRegStr HKLM "\${UNINST}" "QuietUninstallString" '"\$INSTDIR\\uninstall.exe" /S'
  WriteRegDWORD HKLM "\${UNINST}" "NoModify" 1
  WriteRegDWORD HKLM "\${UNINST}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  Delete "\$SMPROGRAMS\\Vestan\\Vestan.lnk"
  RMDir "\$SMPROGRAMS\\Vestan"
  RMDir /r "\$INSTDIR\\platforms"
  RMDir /r "\$INSTDIR\\styles"
  RMDir /r "\$INSTDIR\\imageformats"
  RMDir /r "\$INSTDIR\\translations"
  Delete "\$INSTDIR\\*.exe"
  Delete "\$INSTDIR\\*.dll"
  ; The settings files stay: they are the user's.
  RMDir "\$INSTDIR"
  DeleteRegKey HKLM "\${UNINST}"
SectionEnd
NSI
(cd "$out" && makensis -V2 vestan.nsi)
echo "package: $out/$name.zip"
echo "package: $out/$name-setup.exe"
