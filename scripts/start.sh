#!/bin/sh
# Builds everything, makes the demo recording build/demo/demo.wav (once),
# then starts Tone_Warp Extractor in build/demo/: its File Open dialog starts
# in that folder, beside demo.wav, and its settings file Tonewarp.Inf and
# log Err_Log.Lst are written there (the program keeps both in the current
# directory). Without a display, tonewarp-cli extracts the demo instead.
set -e
cd "$(dirname "$0")/.."
./scripts/build.sh

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
