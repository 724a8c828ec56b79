#!/bin/sh
# Installs what is missing, then configures and builds into ./build.
# Warnings are errors when CI=true.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
WERROR=OFF
if [ "${CI:-}" = "true" ]; then WERROR=ON; fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_WERROR=$WERROR
cmake --build build -j2
