#!/usr/bin/env bash
# Builds Vestan and makes the Debian package vestan_<version>_amd64.deb in
# BUILD/package (BUILD is $VESTAN_BUILD or build/), then lists its files.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}

VESTAN_BUILD=$build "$top/tools/build.sh"
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package"
deb=$(ls "$build"/package/vestan_*.deb)
dpkg-deb -c "$deb"
echo "package: $deb"
