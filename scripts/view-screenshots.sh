#!/bin/sh
# Redraws the recording view's pictures in docs/screenshots/: a short sox
# recording (a plucked A3 throughout, a quiet square-wave E5 from 0.7 s, a
# plucked E4 from 1.4 s, panned apart) as opened, after an extraction run
# over the whole recording, and during a run started from the menu (the
# progress bar). Needs a build (./scripts/build.sh), sox and
# xvfb-run; works in a scratch directory.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
sox -n -r 44100 -c 1 -b 16 a.wav synth 1.6 pluck 220 vol 0.7
sox -n -r 44100 -c 1 -b 16 b.wav synth 1.0 square 660 vol 0.15 fade 0.01 1.0 0.2 pad 0.7
sox -n -r 44100 -c 1 -b 16 c.wav synth 0.8 pluck 330 vol 0.6 pad 1.4
sox -m a.wav b.wav c.wav -c 1 mono.wav
sox mono.wav -c 2 rec.wav remix 1v0.9,1v0.6 1v0.6,1v0.9
mkdir -p "$root/docs/screenshots"
xvfb-run -a -s "-screen 0 1400x1100x24" "$root/build/bin/tw_view_screenshot" rec.wav \
  "$root/docs/screenshots/view-opened.png" "$root/docs/screenshots/view-extracted.png" 1300 1000
# The same recording in the frequency analysis display: level and difference scales.
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1400x1100x24" "$root/build/bin/tw_freq_screenshot" rec.wav \
  "$root/docs/screenshots/freq-level.png" "$root/docs/screenshots/freq-difference.png" 1080 1000
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1400x1100x24" "$root/build/bin/tw_extr_screenshot" rec.wav \
  "$root/docs/screenshots/view-extracting.png" 1300 1000 45
