#!/usr/bin/env bash
# Puts the Qt SDK for the Windows cross build in $VESTAN_WINSDK (default
# ~/.cache/vestan/winsdk): Qt 6.4.2 Core/Gui/Widgets/Test for
# x86_64-w64-mingw32, static GoogleTest/GoogleMock, the MinGW runtime DLLs.
# The shared archive lies in ../shared/windows beside the checkout's root,
# wherever the checkout is.
# Nothing to do when it is there; unpacks the shared archive when that is at
# hand; else builds it from Debian's qt6-base and googletest sources (about
# 20 minutes on two cores; needs deb-src entries and dpkg-dev).
set -euo pipefail
sdk=${VESTAN_WINSDK:-$HOME/.cache/vestan/winsdk}
prefix=$sdk/qt6-mingw64
top=$(cd "$(dirname "$0")/../.." && pwd)
archive=${VESTAN_WINSDK_ARCHIVE:-$top/../shared/windows/qt6.4.2-mingw64.tar.xz}
# An SDK unpacked from the earlier archive has no Qt Network; the network
# ports need it, so such an SDK counts as missing and is replaced.
sdkComplete() {
  [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -d "$prefix/lib/cmake/Qt6Network" ]
}

# --available: whether the SDK is at hand without building it (exit code).
if [ "${1:-}" = --available ]; then
  sdkComplete || [ -f "$archive" ]
  exit
fi

if sdkComplete; then
  [ "${1:-}" = --quiet ] || echo "winsdk: $prefix"
  exit 0
fi
mkdir -p "$sdk"

if [ -f "$archive" ]; then
  echo "winsdk: unpacking $archive"
  tmp=$(mktemp -d "$sdk/.unpack.XXXXXX")
  trap 'rm -rf "$tmp"' EXIT
  tar -xJf "$archive" -C "$tmp"
  rm -rf "$prefix"
  mv "$tmp/qt6-mingw64" "$prefix"
  echo "winsdk: $prefix"
  exit 0
fi

echo "winsdk: no archive at $archive; building from Debian's sources"
for tool in x86_64-w64-mingw32-g++-posix cmake ninja dpkg-source; do
  command -v "$tool" >/dev/null || { echo "winsdk: $tool is missing (tools/windows/setup.sh)" >&2; exit 1; }
done
work=$sdk/src
mkdir -p "$work"
cd "$work"
[ -d qt6-base-*/ ] 2>/dev/null || apt-get source qt6-base
[ -d googletest-*/ ] 2>/dev/null || apt-get source googletest
qtsrc=$(ls -d "$work"/qt6-base-*/ | head -1)
gtsrc=$(ls -d "$work"/googletest-*/ | head -1)
toolchain=$(cd "$(dirname "$0")/../.." && pwd)/cmake/mingw64-toolchain.cmake
[ -f "$toolchain" ] || toolchain=$(cd "$(dirname "$0")" && pwd)/../../cmake/mingw64-toolchain.cmake
tmpprefix=$sdk/.build-prefix
rm -rf "$tmpprefix" "$work/qt-build" "$work/gt-build"

# The features that the program does not need are off; direct2d1_1 is off, not
# direct2d itself, which 6.4 needs for the DirectWrite font database.
cmake -S "$qtsrc" -B "$work/qt-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT6_MINGW64_PREFIX="$tmpprefix" \
  -DCMAKE_INSTALL_PREFIX="$tmpprefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_HOST_PATH=/usr -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=ON -DFEATURE_ssl=OFF -DFEATURE_schannel=OFF -DFEATURE_dtls=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF \
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_opengl=OFF \
  -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
  -DFEATURE_glib=OFF -DFEATURE_tabletevent=OFF -DFEATURE_direct2d1_1=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_doubleconversion=OFF
cmake --build "$work/qt-build" -j2
cmake --install "$work/qt-build"

cmake -S "$gtsrc" -B "$work/gt-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT6_MINGW64_PREFIX="$tmpprefix" \
  -DCMAKE_INSTALL_PREFIX="$tmpprefix" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=ON
cmake --build "$work/gt-build" -j2
cmake --install "$work/gt-build"

# The MinGW runtime the program and Qt need at run time.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$tmpprefix/bin/"
done
rm -rf "$prefix"
mv "$tmpprefix" "$prefix"
echo "winsdk: $prefix"
