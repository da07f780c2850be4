#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs the whole test suite; any memory error, leak or undefined behaviour
# fails the run, also in the simulators and helpers the tests start. Run
# tools/setup.sh first on a fresh machine.
#   VESTAN_ASAN_BUILD  build folder (default: build-asan in the checkout)
#   extra arguments    passed to ctest (e.g. -R LinkLoader)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_ASAN_BUILD:-$top/build-asan}
reports=$build/sanitizer-reports

# Every finding is fatal and carries its stack. Reports go to files as well
# as making the process fail, so that a finding in a child process whose end
# a test tolerates (a simulator killed on purpose) is not lost. Leaks in
# system libraries the program does not own are listed, narrowly, in
# lsan.supp. Set before the build too: test discovery runs the test programs.
export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:report_error_type=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$top/tools/lsan.supp:print_suppressions=0"

# -O1 and line tables only keep the instrumented build quick to compile and
# the tests quick to run; assertions stay on.
cmake -S "$top" -B "$build" -G Ninja -DVESTAN_SANITIZE=ON -DVESTAN_FUZZ=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
rm -rf "$reports"
mkdir -p "$reports"
cmake --build "$build" -j2

# The sanitizer's dlopen interceptor becomes the caller that the dynamic
# loader asks for a run path, so the test program's own run path is not
# searched for bare library names (google/sanitizers#1219). The loader test
# that relies on it gets the same folder here.
export LD_LIBRARY_PATH="$build/testlibs/onpath${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

status=0
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300 "$@" || status=$?

found=$(find "$reports" -type f | sort)
if [ -n "$found" ]; then
    echo "sanitize: findings:" >&2
    for f in $found; do
        echo "---- $f" >&2
        cat "$f" >&2
    done
    status=1
fi
[ $status -eq 0 ] && echo "sanitize: all tests clean"
exit $status
