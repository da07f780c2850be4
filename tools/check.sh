#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through ctest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}

"$top/tools/setup.sh"
. "$top/tools/build-env.sh"

VESTAN_BUILD=$build "$top/tools/build.sh"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
