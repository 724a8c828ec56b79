#!/bin/sh
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan, then runs the whole test suite
# there; exits non-zero when any test fails or a sanitizer reports (every
# report stops its test). Arguments go to ctest. Warnings are errors when CI=true.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
WERROR=OFF
if [ "${CI:-}" = "true" ]; then WERROR=ON; fi
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_WERROR=$WERROR \
    -DTW_SANITIZE=address,undefined -DTW_BUILD_BENCH=OFF
cmake --build build-asan -j2
cd build-asan
# Leaks are reported at exit; an error in a test makes the test fail, not hang.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export ASAN_OPTIONS UBSAN_OPTIONS
ctest --output-on-failure -j2 "$@"
