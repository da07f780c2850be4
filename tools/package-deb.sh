#!/usr/bin/env bash
# Builds Vestan with the distribution's compiler flags (hardening included) in
# BUILD/deb and makes the Debian package vestan_<version>-<revision>_amd64.deb
# in BUILD/package (BUILD is $VESTAN_BUILD or build/), then lists its files.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}
debBuild=$build/deb

"$top/tools/setup.sh"
. "$top/tools/build-env.sh"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flag() { (cd "$top" && dpkg-buildflags --get "$1"); }
cppflags=$(flag CPPFLAGS)
ldflags=$(flag LDFLAGS)
cmake -S "$top" -B "$debBuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_C_FLAGS="$(flag CFLAGS) $cppflags" -DCMAKE_CXX_FLAGS="$(flag CXXFLAGS) $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$ldflags"
# What the package holds, not the tests.
cmake --build "$debBuild" -j2 --target vestan vestan-cli trvCLNK tarvel trvsim linesim \
  vestan_icons vestan_man vestan_changelog
rm -rf "$build/package"
cpack --config "$debBuild/CPackConfig.cmake" -B "$build/package"
deb=$(ls "$build"/package/vestan_*.deb)
dpkg-deb -c "$deb"
echo "package: $deb"
