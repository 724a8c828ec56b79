#!/bin/sh
# Builds everything, then runs the whole test suite; exits non-zero when any test fails.
set -e
cd "$(dirname "$0")/.."
./scripts/build.sh
cd build
ctest --output-on-failure -j2 "$@"
