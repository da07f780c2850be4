#!/usr/bin/env bash
# Checks the Windows downloads of tools/windows/package.sh as a user meets
# them: Wine with its own windows on Xvfb (not offscreen), a Russian locale,
# a fresh prefix, nothing of the build on Wine's DLL path.
#  - the unpacked zip runs vestan-cli;
#  - the installer installs silently into Program Files with its Start-menu
#    entries (the program and its user guide as a web page with pictures), the
#    licences, and an Add/Remove Programs entry with the program's icon;
#  - the program started through its Start-menu entry opens its window and no
#    console window, in the folder the entry names; it ends by its close
#    message with vestan.ini written;
#  - vestan-cli.exe writes Cyrillic a console shows as such, and UTF-8 into a
#    file;
#  - the uninstaller removes all of it.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}

if [ -z "${VESTAN_CHECK_INNER:-}" ]; then
  "$top/tools/windows/package.sh" >/dev/null
  VESTAN_CHECK_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=vestan-$version
mingw=x86_64-w64-mingw32

work=$(mktemp -d /tmp/vestan-check-package.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$work/prefix
unset WINEPATH
if locale -a 2>/dev/null | grep -qix 'ru_RU.utf-\?8'; then export LC_ALL=ru_RU.UTF-8; fi
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "check-package: FAILED: $*" >&2; failed=$((failed + 1)); }
pass() { echo "check-package: ok: $*"; }
runs() { # DIR: vestan-cli.exe there answers --help with its usage
  wine "$1/vestan-cli.exe" --help >"$work/help.txt" 2>&1 && grep -q '^usage: vestan-cli' "$work/help.txt"
}
# The visible top-level windows of Wine's processes on the display, one line
# each: "class<TAB>title".
windows() {
  local id
  for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    printf '%s\t%s\n' "$(xprop -id "$id" WM_CLASS 2>/dev/null | sed 's/.*= //')" \
      "$(xdotool getwindowname "$id" 2>/dev/null)"
  done
}
# The Linux process of a Windows program of this prefix.
processOf() { # NAME.exe
  local pid
  for pid in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$pid"; return 0; }
  done
  return 1
}

echo "check-package: a fresh Wine prefix in $WINEPREFIX (${LC_ALL:-C} locale)"
wine wineboot -i >/dev/null 2>&1
wineserver -w

# The zip: one folder, nothing that does not ship.
mkdir "$work/zip"
(cd "$work/zip" && unzip -q "$build/$name-win64.zip")
[ "$(ls "$work/zip")" = "$name" ] || fail "the zip holds $(ls "$work/zip" | tr '\n' ' ')instead of $name/"
extra=$(cd "$work/zip/$name" && find . -name '*.a' -o -name 'test*' -o -name '*.dll.a' -o -name 'qoffscreen.dll')
[ -z "$extra" ] || fail "the zip holds files that do not ship: $extra"
if runs "$work/zip/$name"; then pass "vestan-cli.exe runs from the unpacked zip"; else fail "vestan-cli.exe from the zip: $(cat "$work/help.txt")"; fi

# The programs: the window a windowed program with its icon, both with the
# project's version.
for exe in vestan.exe vestan-cli.exe; do
  for field in FileVersion ProductVersion; do
    shown=$(wrestool -x --raw --type=16 "$work/zip/$name/$exe" 2>/dev/null | strings -el -n 3 |
      grep -A1 -x "$field" | tail -1)
    [ "$shown" = "$version" ] || fail "$exe carries the $field '$shown', not $version"
  done
done
subsystem() { "$mingw-objdump" -p "$work/zip/$name/$1" | sed -n 's/^Subsystem\s*//p'; }
[[ $(subsystem vestan.exe) == *"Windows GUI"* ]] || fail "vestan.exe is no windowed program: $(subsystem vestan.exe)"
[[ $(subsystem vestan-cli.exe) == *"Windows CUI"* ]] || fail "vestan-cli.exe is no console program"
wrestool -l --type=14 "$work/zip/$name/vestan.exe" | grep -q . || fail "vestan.exe has no icon"
wrestool -x --raw --type=24 "$work/zip/$name/vestan.exe" 2>/dev/null | grep -q 'PerMonitorV2' ||
  fail "vestan.exe has no manifest with per-monitor DPI awareness"

# The installer, silent, into a clean Program Files.
dest="$WINEPREFIX/drive_c/Program Files/Vestan"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vestan'
wine "$build/$name-win64-setup.exe" /S
wineserver -w
missing=$(cd "$work/zip/$name" && find . -type f | while read -r f; do cmp -s "$f" "$dest/$f" || echo "$f"; done)
if [ -d "$dest" ] && [ -z "$missing" ] && [ -f "$dest/Uninstall.exe" ]; then
  pass "the installer put every file into Program Files\\Vestan"
else
  fail "installed files missing or different: ${missing:-the folder or Uninstall.exe}"
fi
shortcut=$(ls "$menu"/Vestan.lnk "$menu"/Вестан.lnk 2>/dev/null | head -1 || true)
guide=$(ls "$menu"/*руководство*.lnk "$menu"/*guide*.lnk 2>/dev/null | head -1 || true)
[ -n "$shortcut" ] || fail "no Start-menu entry for the program in $menu"
[ -n "$guide" ] || fail "no Start-menu entry for the user guide in $menu"
page=$dest/doc/user-guide.html
pictures=$(grep -o '<img src="[^"]*"' "$page" 2>/dev/null | sed 's/<img src="//;s/"$//' || true)
[ -n "$pictures" ] || fail "the user guide's page $page shows no pictures"
for p in $pictures; do [ -f "$dest/doc/$p" ] || fail "the user guide's picture $p is not installed"; done
for l in README.txt LGPL-3.txt GPL-3.txt Qt-copyright.txt MinGW-gcc-runtime-copyright.txt; do
  [ -s "$dest/licenses/$l" ] || fail "no licences\\$l"
done
[ ! -f "$top/LICENSE" ] || cmp -s "$top/LICENSE" "$dest/licenses/Vestan-LICENSE.txt" || fail "the project's licence is not installed"
icon=$(wine reg query "$key" /v DisplayIcon 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ\s*//p')
if wine reg query "$key" /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe' &&
  [ "$icon" = 'C:\Program Files\Vestan\vestan.exe,0' ]; then
  pass "Start-menu entries, user guide page, licences, Add/Remove Programs entry with the icon"
else
  fail "the Add/Remove Programs entry $key is missing or names no icon (${icon:-none})"
fi
if runs "$dest"; then pass "the installed vestan-cli.exe runs"; else fail "installed vestan-cli.exe: $(cat "$work/help.txt")"; fi

# vestan-cli.exe's text on a console (a terminal behind Wine's console) and in
# a file: the library's Russian message for a port the system lacks.
expected='COM9: Устройство связи не найдено'
(cd "$work" && script -qec "wine '$dest/vestan-cli.exe' info --port COM9" /dev/null >"$work/console.txt" 2>&1) || true
# Wine's console writes the terminal's cursor controls around the text.
plain() { tr -d '\r' <"$1" | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g'; }
if plain "$work/console.txt" | grep -qx "$expected"; then
  pass "vestan-cli.exe on a console: $expected"
else
  fail "vestan-cli.exe on a console wrote $(plain "$work/console.txt" | head -3) instead of $expected"
fi
(cd "$work" && wine "$dest/vestan-cli.exe" info --port COM9 2>"$work/file.txt" </dev/null) || true
# UTF-8 with the system's CRLF line ends.
if printf '%s\r\n' "$expected" | cmp -s - "$work/file.txt"; then
  pass "vestan-cli.exe into a file: UTF-8"
else
  fail "vestan-cli.exe into a file wrote $(od -c "$work/file.txt" | head -6) instead of UTF-8 $expected"
fi

# The program as the Start menu starts it: through its entry, with the
# window system's own windows.
before=$(windows)
wine start /unix "$shortcut" >"$work/vestan.log" 2>&1
program=
for _ in $(seq 60); do program=$(processOf vestan.exe) && break; sleep 0.5; done
for _ in $(seq 60); do windows | grep -q 'Доступ к данным контроллера' && break; sleep 0.5; done
sleep 2
shown=$(windows | grep -vxF "$before" || true)
if [ -z "$program" ] || ! grep -q 'Доступ к данным контроллера' <<<"$shown"; then
  fail "the program's window did not appear from the Start-menu entry: $(cat "$work/vestan.log") ${shown:-no window}"
elif grep -v 'Доступ к данным контроллера' <<<"$shown" | grep -qi 'conhost\|console\|vestan.exe'; then
  fail "a console window opened beside the program's: $shown"
else
  pass "the Start-menu entry opens the program's window and no console"
fi
folder=$(readlink "/proc/$program/cwd" 2>/dev/null || true)
if [ "$folder" = "$dest" ]; then
  pass "the program started in its own folder"
else
  fail "the program started in ${folder:-an unknown folder}, not in $dest"
fi
wine taskkill /im vestan.exe >/dev/null 2>&1 || true
for _ in $(seq 40); do [ -n "$program" ] && kill -0 "$program" 2>/dev/null || break; sleep 0.25; done
if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
  fail "the installed vestan.exe did not end on its close message"
  wine taskkill /f /im vestan.exe >/dev/null 2>&1 || true
elif ! grep -q '^IdNet=33' "$dest/vestan.ini" 2>/dev/null; then
  fail "the installed vestan.exe wrote no vestan.ini beside itself"
else
  pass "the installed vestan.exe ends by its close message and writes vestan.ini"
fi
wineserver -w

# The uninstaller takes everything, the settings beside the program too.
wine "$dest/Uninstall.exe" /S
wineserver -w
if [ -e "$dest" ]; then
  fail "left after uninstalling: $(cd "$dest" && find . | tr '\n' ' ')"
elif ls "$menu"/*.lnk >/dev/null 2>&1 || wine reg query "$key" >/dev/null 2>&1; then
  fail "a Start-menu entry or the Add/Remove Programs entry is left after uninstalling: $(ls "$menu")"
else
  pass "the uninstaller removed the folder, the Start-menu entries and the Add/Remove Programs entry"
fi

[ $failed -eq 0 ] || exit 1
echo "check-package: $name-win64.zip and $name-win64-setup.exe under Wine"
