#!/bin/sh
# Builds everything, then runs the whole test suite; exits non-zero when any test fails.
#
# Under CI (CI=true) it then runs every fuzz target for 60 s (scripts/fuzz.sh)
# and the whole suite once more in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer (scripts/sanitize.sh); TW_SANITIZE=1 asks for
# that second run outside CI too. Arguments go to ctest.
set -e
cd "$(dirname "$0")/.."
./scripts/build.sh
(cd build && ctest --output-on-failure -j2 "$@")
if [ "${CI:-}" = "true" ]; then
    ./scripts/fuzz.sh 60
fi
if [ "${CI:-}" = "true" ] || [ "${TW_SANITIZE:-}" = "1" ]; then
    ./scripts/sanitize.sh "$@"
fi
