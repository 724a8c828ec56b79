#!/bin/sh
# The separation quality measurement: builds tonewarp-cli in Release into
# build-quality/, renders the test pieces stem by stem (bench/quality/material.py:
# fluidsynth with Debian's General MIDI sound font, espeak-ng for the voice, sox
# stand-ins where they are missing), runs tonewarp-cli extract on every mixture
# at the default settings and over a sweep of the three extraction parameters,
# scores the parts against the stems (bench/quality/score.py) and prints the
# tables. Everything lands in build-quality/quality/: quality_table.md (every
# table), summary.md, sweep.csv, quality_sweep.png, the material and the parts
# of the default runs. About 5 to 10 minutes on two cores.
#
# usage: scripts/quality.sh [--no-sweep]
#   --no-sweep   only the default settings (no sweep table, no plot)
# TW_QUALITY_RENDERER=sox plays the sox stand-ins even where fluidsynth and
# espeak-ng are installed.
set -e
cd "$(dirname "$0")/.."
for a in "$@"; do
    case $a in
        --no-sweep) ;;
        *) echo "usage: scripts/quality.sh [--no-sweep]" >&2; exit 2 ;;
    esac
done
start=$(date +%s)

./scripts/install-deps.sh
# Only the command-line tool is needed: no window, no tests, no benchmarks.
cmake -S . -B build-quality -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_GUI=OFF -DTW_BUILD_TESTS=OFF \
    -DTW_BUILD_BENCH=OFF -DTW_WERROR=OFF >/dev/null
cmake --build build-quality -j2 --target tonewarp-cli >/dev/null

# Debian's Python 3, for which python3-numpy, -mir-eval and -matplotlib are
# installed (a python3 earlier on PATH may not see them). -B: no byte code
# left in the source tree.
/usr/bin/python3 -B bench/quality/quality.py --cli build-quality/bin/tonewarp-cli --work build-quality/quality \
    --jobs 2 "$@"
echo
echo "scripts/quality.sh: $(($(date +%s) - start)) s in all, the build included."
