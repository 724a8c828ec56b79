#!/bin/sh
# Installs what is missing, then configures and builds into ./build.
# Warnings are errors when CI=true.
#
# usage: scripts/build.sh [TARGET...]
#   Without arguments everything is built (the programs, the tests, the
#   benchmarks), as test.sh and CI need it. With arguments only those targets
#   and what they need are built, in the same configured tree: start.sh builds
#   just the two programs, and a later build.sh without arguments builds the rest.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
WERROR=OFF
if [ "${CI:-}" = "true" ]; then WERROR=ON; fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_WERROR=$WERROR
if [ $# -eq 0 ]; then
    cmake --build build -j2
else
    cmake --build build -j2 --target "$@"
fi
