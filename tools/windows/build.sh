#!/usr/bin/env bash
# Cross-builds the Windows x64 program, vestan-cli, trvCLNK.dll, tarvel.dll
# and the tests in $VESTAN_WINBUILD (default build-win/) with MinGW-w64, on the
# SDK of tools/windows/sdk.sh. Arguments go to the build (e.g. a target name).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
sdk=${VESTAN_WINSDK:-$HOME/.cache/vestan/winsdk}

"$top/tools/windows/setup.sh"
"$top/tools/windows/sdk.sh" --quiet
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw64-toolchain.cmake" \
    -DQT6_MINGW64_PREFIX="$sdk/qt6-mingw64"
fi
# VESTAN_WERROR=ON (CI): warnings are errors; unset, the folder keeps its choice.
if [ -n "${VESTAN_WERROR:-}" ]; then
  cmake -S "$top" -B "$build" -DVESTAN_WERROR="$VESTAN_WERROR"
fi
cmake --build "$build" -j2 ${1:+--target "$@"}
