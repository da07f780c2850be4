#!/usr/bin/env bash
# Makes the Windows downloads in the Windows build folder ($VESTAN_WINBUILD,
# default build-win/), building what is missing first:
#   vestan-<version>-win64.zip        the folder vestan-<version>/, run where unpacked
#   vestan-<version>-win64-setup.exe  the installer of the same folder
# The folder holds the program, vestan-cli, the two libraries beside them (the
# loader's first place), the Qt and MinGW DLLs they import, the Qt plugins the
# window loads, Qt's Russian texts, the user guide as a web page and the
# licences; nothing else.
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

# The user guide as a page Windows opens, with its pictures; the headings get
# the anchors the guide's contents link to.
mkdir -p "$stage/doc"
cp -r "$top/docs/images" "$stage/doc/"
{
  printf '<!DOCTYPE html>\n<html lang="ru">\n<head>\n<meta charset="utf-8">\n'
  printf '<title>Vestan %s: user guide</title>\n' "$version"
  printf '<style>body{font-family:sans-serif;max-width:60em;margin:auto;padding:1em}'
  printf 'img{max-width:100%%}pre{background:#f4f4f4;padding:.5em;overflow:auto}'
  printf 'table{border-collapse:collapse}td,th{border:1px solid #aaa;padding:.2em .5em}</style>\n'
  printf '</head>\n<body>\n'
  cmark-gfm --unsafe -e table -e autolink -e strikethrough "$top/docs/user-guide.md" |
    perl -CSD -pe 's{<h([1-6])>(.*?)</h\1>}{my ($l, $t) = ($1, $2); (my $id = lc $t) =~ s/<[^>]*>//g;
      $id =~ s/[^\w\- ]//g; $id =~ s/ /-/g; "<h$l id=\"$id\">$t</h$l>"}ge'
  printf '</body>\n</html>\n'
} >"$stage/doc/user-guide.html"
grep -q '<img src="images/' "$stage/doc/user-guide.html" ||
  { echo "package: the user guide's page shows no pictures" >&2; exit 1; }

# The licences of what the folder carries, shown by the installer too: the
# project's own, Qt's (LGPL-3, a supplement to the GPL-3) with where its
# source is, the MinGW runtime's (GCC's runtime library exception,
# winpthreads).
licenses=$stage/licenses
mkdir -p "$licenses"
[ -f "$top/LICENSE" ] && cp "$top/LICENSE" "$licenses/Vestan-LICENSE.txt"
cp /usr/share/common-licenses/LGPL-3 "$licenses/LGPL-3.txt"
cp /usr/share/common-licenses/GPL-3 "$licenses/GPL-3.txt"
qtsource=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo 6.4.2)
cp /usr/share/doc/libqt6core6/copyright "$licenses/Qt-copyright.txt"
cp "$qt/SDK-INFO.txt" "$licenses/Qt-build.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licenses/MinGW-gcc-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$licenses/MinGW-w64-copyright.txt"
{
  echo "Vestan $version for Windows: what this folder carries and under which licence"
  echo
  echo "vestan.exe, vestan-cli.exe, trvCLNK.dll, tarvel.dll"
  echo "  Vestan developers, Apache License 2.0 (Vestan-LICENSE.txt)."
  echo
  echo "Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, Qt6Network.dll, platforms\qwindows.dll,"
  echo "styles\qwindowsvistastyle.dll, translations\qtbase_ru.qm"
  echo "  The Qt Company Ltd and others, GNU Lesser General Public License 3"
  echo "  (LGPL-3.txt, which supplements GPL-3.txt); the copyright notices of Qt and"
  echo "  the libraries built into it are in Qt-copyright.txt. The DLLs are Qt 6.4.2"
  echo "  built unchanged from Debian's qt6-base source package $qtsource"
  echo "  ("apt-get source qt6-base" on Debian 12), the same source as Qt's own"
  echo "  qtbase-everywhere-src-6.4.2 less files Debian does not ship. You may"
  echo "  replace these DLLs with your own build of Qt 6.4 for MinGW-w64."
  echo
  echo "libstdc++-6.dll, libgcc_s_seh-1.dll"
  echo "  Free Software Foundation, GNU General Public License 3 with the GCC Runtime"
  echo "  Library Exception 3.1 (MinGW-gcc-runtime-copyright.txt, GPL-3.txt)."
  echo
  echo "libwinpthread-1.dll"
  echo "  The mingw-w64 project, MIT and BSD style licences (MinGW-w64-copyright.txt)."
} >"$licenses/README.txt"
# The page the installer shows: the list above, then the project's own licence.
{
  cat "$licenses/README.txt"
  if [ -f "$top/LICENSE" ]; then printf '\n\n'; cat "$top/LICENSE"; fi
} | sed 's/$/\r/' >"$build/package/licenses-shown.txt"

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
  -DICON="$build/app/vestan_resources/vestan.ico" -DLICENSE="$build/package/licenses-shown.txt" \
  "$top/tools/windows/vestan.nsi"
mv "$setup.part" "$setup"
echo "package: $setup ($(du -k "$setup" | cut -f1) KiB)"
