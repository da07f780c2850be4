#!/usr/bin/env bash
# Installs what is missing and builds everything in $VESTAN_BUILD (or build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}

"$top/tools/setup.sh"
. "$top/tools/build-env.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
