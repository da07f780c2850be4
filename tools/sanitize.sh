#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs the whole test suite; any memory error, leak or undefined behaviour
# fails the run. Run tools/setup.sh first on a fresh machine.
#   VESTAN_ASAN_BUILD  build folder (default: build-asan beside this script's checkout)
#   extra arguments    passed to ctest (e.g. -R test_platform)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_ASAN_BUILD:-$top/build-asan}

# -O1 keeps the instrumented build quick to compile and the tests quick to run;
# assertions stay on.
cmake -S "$top" -B "$build" -G Ninja -DVESTAN_SANITIZE=ON -DVESTAN_FUZZ=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g"
cmake --build "$build" -j2

# Every report is fatal and carries its stack; leaks in system libraries that
# the program does not own are listed, narrowly, in lsan.supp.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:print_stacktrace=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:report_error_type=1"
export LSAN_OPTIONS="suppressions=$top/tools/lsan.supp:print_suppressions=0"

ctest --test-dir "$build" --output-on-failure -j2 --timeout 300 "$@"
