#!/usr/bin/env bash
# Cross-builds the Windows x64 build (tools/windows/build.sh) and runs its
# tests under Wine, offscreen, in a Wine prefix of their own; then the program
# end to end through a Wine COM port on the Linux trvsim (tools/windows/e2e.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
sdk=${VESTAN_WINSDK:-$HOME/.cache/vestan/winsdk}
qt=$sdk/qt6-mingw64

"$top/tools/windows/build.sh"
source "$top/tools/windows/wineenv.sh"
vestan_wine_prefix "$build/wineprefix"

echo "windows: not built for Windows (need trvsim or linesim on a Linux pseudo-terminal, or the" \
  "Linux install layout): test_e2e, test_cli, test_trvsim, test_linesim, install_layout," \
  "test_journal's and test_trvclnk's end-to-end files; tools/windows/e2e.sh covers that path"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 900
"$top/tools/windows/e2e.sh"
