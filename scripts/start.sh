#!/bin/sh
# Builds the two programs, makes the demo recording build/demo/demo.wav
# (once), then starts Tone_Warp Extractor in build/demo/: its File Open dialog
# starts in that folder, beside demo.wav, and its settings file Tonewarp.Inf
# and log Err_Log.Lst are written there (the program keeps both in the current
# directory). Without a display, tonewarp-cli extracts the demo instead.
#
# Only tonewarp and tonewarp-cli are built, not the tests and benchmarks it
# never runs; the tree is configured as test.sh configures it, so a later
# ./scripts/test.sh builds the rest in the same build/.
set -e
cd "$(dirname "$0")/.."
targets="tonewarp tonewarp-cli"
# A build/ configured without the application (-DTW_BUILD_GUI=OFF) has no
# target tonewarp: the command-line tool alone, and the demo runs there.
if grep -qs '^TW_BUILD_GUI:BOOL=OFF$' build/CMakeCache.txt; then targets="tonewarp-cli"; fi
# shellcheck disable=SC2086
./scripts/build.sh $targets

demo_dir=build/demo
if [ ! -s "$demo_dir/demo.wav" ] || [ scripts/make-demo.sh -nt "$demo_dir/demo.wav" ]; then
    echo "Making the demo recording..."
    ./scripts/make-demo.sh "$demo_dir/demo.wav"
fi
cd "$demo_dir"

if [ ! -x ../bin/tonewarp ] || [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to open a window on: tonewarp-cli extracts the demo recording instead."
    echo "Results: $(pwd)/demo_parts/"
    exec ../bin/tonewarp-cli extract demo.wav
fi

cat <<EOF
Demo recording: $(pwd)/demo.wav
  ﾌｧｲﾙ(F) > 開く(O)... opens in this folder: choose demo.wav.
  編集(E) > 音源パートの抽出(X) then extracts its parts in about half a minute;
  the parts appear as waveform lanes under the mix.
EOF
exec ../bin/tonewarp "$@"
