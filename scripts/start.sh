#!/bin/sh
# Builds everything, then starts Tone_Warp Extractor.
set -e
cd "$(dirname "$0")/.."
./scripts/build.sh
if [ -x build/bin/tonewarp ]; then
    exec build/bin/tonewarp "$@"
fi
# Without the desktop application yet: show what the engine reads from a
# generated demo recording.
mkdir -p build/demo
sox -n -r 44100 -b 16 -c 2 build/demo/demo.wav synth 3 sine 440 sine 660 >/dev/null 2>&1
cd build/demo
exec ../bin/tonewarp-cli info demo.wav
