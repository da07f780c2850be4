#!/usr/bin/env bash
# Makes the Windows downloads in the Windows build folder ($VESTAN_WINBUILD,
# default build-win/), building what is missing first:
#   vestan-<version>-win64.zip        the folder vestan-<version>/, run where unpacked
#   vestan-<version>-win64-setup.exe  the installer of the same folder
# The folder holds the program, vestan-cli, the two libraries beside them (the
# loader's first place), the Qt and MinGW DLLs they import, the Qt plugins the
# window loads, Qt's Russian texts and the user guide; nothing else.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
sdk=${VESTAN_WINSDK:-$HOME/.cache/vestan/winsdk}
qt=$sdk/qt6-mingw64
translations=${VESTAN_QT_TRANSLATIONS:-/usr/share/qt6/translations}
mingw=x86_64-w64-mingw32

# Only what ships is built: the tests are tools/windows/check.sh's business.
"$top/tools/windows/build.sh" vestan vestan-cli trvCLNK tarvel
programs=(vestan.exe vestan-cli.exe)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
name=vestan-$version
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage"

for file in "${programs[@]}" trvCLNK.dll tarvel.dll; do
  cp "$build/bin/$file" "$stage/"
done
# The window's platform and its native look; no picture plugin, since every
# picture is a PNG, which Qt reads without one.
mkdir -p "$stage/platforms" "$stage/styles"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"

# Every DLL that a shipped file imports, and theirs in turn, comes from the
# SDK; what the SDK lacks must be the system's own (MinGW has an import
# library for it, or it is an API set), or the folder would not run.
imports() { "$mingw-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
isSystem() {
  local lower=${1,,}
  [[ $lower == api-ms-win-* ]] || [ -f "/usr/$mingw/lib/lib${lower%.dll}.a" ]
}
mapfile -t queue < <(find "$stage" -name '*.exe' -o -name '*.dll')
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  for dll in $(imports "$file"); do # DLL names carry no blanks
    [ -e "$stage/$dll" ] && continue
    if [ -f "$qt/bin/$dll" ]; then
      cp "$qt/bin/$dll" "$stage/"
      queue+=("$stage/$dll")
    elif ! isSystem "$dll"; then
      echo "package: $(basename "$file") imports $dll, which is neither in $qt/bin nor a system DLL" >&2
      exit 1
    fi
  done
done

# The program loads Qt's Russian texts from the translations folder of Qt's
# prefix, which is the folder of Qt6Core.dll.
if [ ! -f "$translations/qtbase_ru.qm" ]; then
  echo "package: no $translations/qtbase_ru.qm (Debian's qt6-translations-l10n)" >&2
  exit 1
fi
mkdir -p "$stage/translations"
cp "$translations/qtbase_ru.qm" "$stage/translations/"

mkdir -p "$stage/doc"
cp "$top/docs/user-guide.md" "$stage/doc/"
cp -r "$top/docs/images" "$stage/doc/"

# Release builds carry symbol tables nobody reads on the user's machine.
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec "$mingw-strip" --strip-unneeded {} +

zip=$build/$name-win64.zip
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip.part" --format=zip "$name")
mv "$zip.part" "$zip"
echo "package: $zip ($(du -k "$zip" | cut -f1) KiB)"

# The installer: the same files, listed for it and for its uninstaller.
nsis=$build/package/nsis
mkdir -p "$nsis"
winrel() { local rel=${1#"$stage"}; rel=${rel#/}; echo "${rel//\//\\}"; }
{
  find "$stage" -type d | sort | while read -r dir; do
    rel=$(winrel "$dir")
    echo "SetOutPath \"\$INSTDIR${rel:+\\$rel}\""
    find "$dir" -maxdepth 1 -type f | sort | sed 's/.*/File "&"/'
  done
} >"$nsis/files.nsh"
{
  find "$stage" -type f | sort | while read -r file; do echo "Delete \"\$INSTDIR\\$(winrel "$file")\""; done
  find "$stage" -mindepth 1 -type d | sort -r | while read -r dir; do echo "RMDir \"\$INSTDIR\\$(winrel "$dir")\""; done
} >"$nsis/remove.nsh"
setup=$build/$name-win64-setup.exe
rm -f "$setup"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSIZEKB="$(du -sk "$stage" | cut -f1)" \
  -DFILES="$nsis/files.nsh" -DREMOVE="$nsis/remove.nsh" -DOUTFILE="$setup.part" \
  "$top/tools/windows/vestan.nsi"
mv "$setup.part" "$setup"
echo "package: $setup ($(du -k "$setup" | cut -f1) KiB)"
