#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for 30 seconds from
# its committed seeds (the ctest tests fuzz_*_smoke). Run tools/setup.sh first
# on a fresh machine.
#   VESTAN_FUZZ_BUILD  build folder (default: build-fuzz beside this script's checkout)
#   extra arguments    passed to ctest (e.g. -R fuzz_inifile)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_FUZZ_BUILD:-$top/build-fuzz}
targets=(fuzz_tarvel fuzz_framecodec fuzz_telnet fuzz_inifile)

cmake -S "$top" -B "$build" -G Ninja -DVESTAN_FUZZ=ON -DVESTAN_SANITIZE=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build" -j2 --target "${targets[@]}"

# Undefined behaviour is fatal in every target, whatever its compile options.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir "$build" --output-on-failure -j2 -R '^fuzz_.*_smoke$' "$@"
