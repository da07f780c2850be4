#!/usr/bin/env bash
# Installs what is missing and builds everything in $VESTAN_BUILD (or build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}

"$top/tools/setup.sh"
. "$top/tools/build-env.sh"
# VESTAN_WERROR=ON (CI): warnings are errors; unset, the folder keeps its choice.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  ${VESTAN_WERROR:+-DVESTAN_WERROR=$VESTAN_WERROR}
cmake --build "$build" -j2
