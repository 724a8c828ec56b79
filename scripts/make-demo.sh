#!/bin/sh
# Makes the demo recording: a 14-second stereo 16-bit 44100 Hz WAVE file in
# which three instruments enter one after the other, so that an extraction
# run finds them as separate parts. The application extracts it in about
# half a minute (one batch every 100 ms), tonewarp-cli in about a second.
#
#   0 s    piano chords (C, Am, F, G), left of centre
#   3.2 s  a flute melody joins, right of centre
#   6.4 s  a finger bass joins, in the centre
#
# With fluidsynth and a General MIDI sound font (Debian's fluid-soundfont-gm)
# the score below is written as a MIDI file and rendered with real
# instrument sounds; without them sox plays the same score with plucked
# strings, a square wave and a sine. Needs sox in both cases.
#
# Usage: scripts/make-demo.sh [--sox] [OUT.wav]   (default: build/demo/demo.wav)
#   --sox   plays the score with sox even where fluidsynth is installed
# Prints the path of the recording it made. A relative OUT is taken from the
# directory the script was started in.
set -e
use_sox=no
if [ "${1:-}" = "--sox" ]; then use_sox=yes; shift; fi
if [ $# -gt 1 ]; then echo "usage: scripts/make-demo.sh [--sox] [OUT.wav]" >&2; exit 2; fi
out=${1:-$(cd "$(dirname "$0")/.." && pwd)/build/demo/demo.wav}
mkdir -p "$(dirname "$out")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# The score: one line a note, "channel start length key velocity", times in
# sixteenths at 150 beats a minute (a tenth of a second each), keys as
# MIDI note numbers (60 = middle C).
score() {
    # Piano: a three-note chord on every half bar, eight bars.
    bar=0
    for chord in "60 64 67" "57 60 64" "53 57 60" "55 59 62" "60 64 67" "57 60 64" "53 57 60" "55 59 62"; do
        for half in 0 8; do
            for k in $chord; do echo "0 $((bar * 16 + half)) 8 $k 96"; done
        done
        bar=$((bar + 1))
    done
    # Flute from bar 3: start, length, key.
    t=32
    for n in "4 76" "4 74" "4 72" "4 74" "12 76" "4 76" "4 77" "4 76" "4 74" "4 72" "16 74" \
             "4 72" "4 74" "8 76" "8 72" "8 69"; do
        set -- $n
        echo "1 $t $1 $2 88"
        t=$((t + $1))
    done
    # Bass from bar 5: the chord's root on every beat.
    bar=4
    for root in 36 33 29 31; do
        for beat in 0 4 8 12; do echo "2 $((bar * 16 + beat)) 4 $root 96"; done
        bar=$((bar + 1))
    done
}

# Writes the score as a standard MIDI file (format 0, 4 ticks a sixteenth):
# programme and pan for each channel, then every note-on and note-off in time
# order. The bytes are made as octal escapes for printf(1).
write_midi() {
    score | LC_ALL=C awk '
    function esc(b) { return sprintf("\\%03o", b) }
    function vlq(v,   s) {
        s = esc(v % 128); v = int(v / 128)
        while (v > 0) { s = esc(128 + v % 128) s; v = int(v / 128) }
        return s
    }
    function be(v, n,   s, i) { s = ""; for (i = n - 1; i >= 0; i--) s = s esc(int(v / 256 ^ i) % 256); return s }
    BEGIN {
        # tempo 400000 us a quarter; programmes: piano 0, flute 73, finger bass 33; pan 40, 88, 64
        ev[++n] = 0 " " 0 " " esc(255) esc(81) esc(3) be(400000, 3)
        split("0 73 33", prog, " "); split("40 88 64", pan, " ")
        for (c = 0; c < 3; c++) {
            ev[++n] = 0 " " 1 " " esc(192 + c) esc(prog[c + 1])
            ev[++n] = 0 " " 1 " " esc(176 + c) esc(10) esc(pan[c + 1])
            ev[++n] = 0 " " 1 " " esc(176 + c) esc(7) esc(110)
        }
    }
    {
        # note-offs sort before note-ons at the same tick
        ev[++n] = ($2 * 4) " " 3 " " esc(144 + $1) esc($4) esc($5)
        ev[++n] = (($2 + $3) * 4 - 1) " " 2 " " esc(128 + $1) esc($4) esc(64)
    }
    END {
        for (i = 2; i <= n; i++) {  # insertion sort by tick, then kind, stable otherwise
            x = ev[i]; split(x, a, " "); j = i - 1
            while (j >= 1) {
                split(ev[j], b, " ")
                if (b[1] + 0 < a[1] + 0 || (b[1] + 0 == a[1] + 0 && b[2] + 0 <= a[2] + 0)) break
                ev[j + 1] = ev[j]; j--
            }
            ev[j + 1] = x
        }
        track = ""; last = 0; len = 0
        for (i = 1; i <= n; i++) {
            split(ev[i], a, " ")
            d = vlq(a[1] - last); last = a[1]
            track = track d a[3]
            len += (length(d) + length(a[3])) / 4
        }
        # 1.6 seconds of silence, then the end of the track
        d = vlq(64); track = track d esc(255) esc(47) esc(0); len += length(d) / 4 + 3
        printf "%s%s%s%s%s", "MThd", be(6, 4), be(0, 2), be(1, 2), be(16, 2)
        printf "%s%s%s", "MTrk", be(len, 4), track
    }' >"$work/score.txt"
    # shellcheck disable=SC2059
    printf "$(cat "$work/score.txt")" >"$1"
}

font=""
for f in /usr/share/sounds/sf2/FluidR3_GM.sf2 /usr/share/sounds/sf2/default-GM.sf2; do
    if [ -r "$f" ]; then font=$f; break; fi
done

if [ $use_sox = no ] && command -v fluidsynth >/dev/null 2>&1 && [ -n "$font" ]; then
    write_midi "$work/demo.mid"
    fluidsynth -n -i -q -g 0.5 -r 44100 -O s16 -T wav -F "$work/raw.wav" "$font" "$work/demo.mid" \
        >/dev/null 2>&1
    # 16 bits, 44100 Hz, stereo; 14 s: the score and the last chord's release.
    sox -V1 "$work/raw.wav" -r 44100 -b 16 -c 2 "$out" pad 0 2 trim 0 14 norm -3
    how="fluidsynth, $(basename "$font")"
else
    # The same score with sox: a voice per note (channel, seconds, start,
    # frequency in Hz), padded to its start, then all of them mixed.
    i=0
    score | LC_ALL=C awk '{ printf "%d %.3f %.3f %.2f\n", $1, $3 / 10, $2 / 10, 440 * 2 ^ (($4 - 69) / 12) }' |
    while read -r c secs at freq; do
        i=$((i + 1))
        case $c in
            0) voice="pluck $freq vol 0.30 remix 1v0.9 1v0.5" ;;
            1) voice="square $freq vol 0.07 fade 0.02 $secs 0.05 remix 1v0.5 1v0.9" ;;
            *) voice="sine $freq vol 0.35 fade 0.01 $secs 0.08 remix 1v0.7 1v0.7" ;;
        esac
        # shellcheck disable=SC2086
        sox -n -r 44100 -e floating-point -b 32 -c 2 "$work/n$i.wav" synth "$secs" $voice pad "$at" 0
    done
    # Mixed in floating point (sox scales each of the many inputs down), then
    # brought to a healthy level in 16 bits.
    sox -m "$work"/n*.wav "$work/mix.wav"
    sox -V1 "$work/mix.wav" -b 16 -e signed-integer "$out" pad 0 2 trim 0 14 norm -3
    how="sox"
fi
echo "$out ($how)"
