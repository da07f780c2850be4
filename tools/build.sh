#!/usr/bin/env bash
# Installs what is missing and builds everything in $VESTAN_BUILD (or build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}

"$top/tools/setup.sh"
. "$top/tools/as-user.sh"
# ccache, when there, lets several checkouts share their compiled objects.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
