#!/bin/sh
# Makes the benchmark recordings in DIR with the score writer BENCH_MATERIAL:
#   mix60.wav    60 s, four instruments entering at 0, 10, 20 and 30 s
#   mix600.wav   10 minutes of the same music
#   mix3600.wav  1 hour (only with --long)
# All 44.1 kHz stereo 16-bit. fluidsynth renders the MIDI score with Debian's
# General MIDI sound font; without it, sox renders a stand-in of each voice.
# TW_BENCH_RENDERER=sox forces the sox stand-in. DIR/renderer.txt names the
# renderer. Files already made by the same
# renderer from the same score are kept.
#
# usage: make_material.sh DIR BENCH_MATERIAL [--long]
set -e
dir=$1
gen=$2
long=${3:-}
[ -n "$dir" ] && [ -x "$gen" ] || { echo "usage: make_material.sh DIR BENCH_MATERIAL [--long]" >&2; exit 2; }
mkdir -p "$dir"

sf2=""
for f in /usr/share/sounds/sf2/FluidR3_GM.sf2 /usr/share/sounds/sf2/default-GM.sf2; do
    if [ -f "$f" ]; then sf2=$f; break; fi
done
if [ "${TW_BENCH_RENDERER:-}" != "sox" ] && command -v fluidsynth >/dev/null 2>&1 && [ -n "$sf2" ]; then
    renderer="fluidsynth $(fluidsynth --version 2>/dev/null | head -1 | sed 's/.*version //') $(basename "$sf2")"
else
    command -v sox >/dev/null 2>&1 || { echo "make_material.sh: neither fluidsynth nor sox is installed" >&2; exit 1; }
    renderer="sox $(sox --version 2>/dev/null | sed 's/.*SoX v//')"
fi

# The stamp: renderer and score. A change of either remakes everything.
"$gen" midi "$dir/score60.mid" 60
stamp="$renderer / $(cksum <"$dir/score60.mid" | cut -d' ' -f1)"
if [ "$(cat "$dir/renderer.txt" 2>/dev/null)" != "$stamp" ]; then
    rm -f "$dir"/mix*.wav
    echo "$stamp" >"$dir/renderer.txt"
fi

render_fluidsynth() {  # seconds out
    "$gen" midi "$dir/score$1.mid" "$1"
    fluidsynth -ni -q -g 0.8 -r 44100 -T wav -O s16 -F "$dir/raw$1.wav" "$sf2" "$dir/score$1.mid" >/dev/null 2>&1
    sox -D -R "$dir/raw$1.wav" -r 44100 -b 16 -c 2 "$2" trim 0 "$1"
    rm -f "$dir/raw$1.wav"
}

# sox: each voice's 8-second pattern note by note, repeated to the length,
# delayed to its entry, placed between the channels; then the four mixed.
render_sox() {  # seconds out
    tmp="$dir/sox_tmp"
    rm -rf "$tmp"
    mkdir -p "$tmp"
    for v in 0 1 2 3; do
        "$gen" sox-notes $v >"$tmp/notes$v.txt"
        head -1 "$tmp/notes$v.txt" >"$tmp/head$v.txt"
        read -r entry gain_l gain_r <"$tmp/head$v.txt"
        i=0
        parts=""
        tail -n +2 "$tmp/notes$v.txt" >"$tmp/body$v.txt"
        while read -r synth len gap hz; do
            f="$tmp/v${v}_n$(printf %03d $i).wav"
            sox -D -R -n -r 44100 -b 16 -c 1 "$f" synth "$len" "$synth" "$hz" fade 0.005 "$len" 0.05 pad 0 "$gap"
            parts="$parts $f"
            i=$((i + 1))
        done <"$tmp/body$v.txt"
        # shellcheck disable=SC2086
        sox -D -R $parts "$tmp/pattern$v.wav"
        reps=$(( ($1 + 7) / 8 ))
        sox -D -R "$tmp/pattern$v.wav" -c 2 "$tmp/voice$v.wav" repeat "$reps" pad "$entry" \
            trim 0 "$1" remix 1v"$gain_l" 1v"$gain_r" vol 0.45
    done
    sox -D -R -m -v 1 "$tmp/voice0.wav" -v 1 "$tmp/voice1.wav" -v 1 "$tmp/voice2.wav" -v 1 "$tmp/voice3.wav" \
        -r 44100 -b 16 -c 2 "$2" trim 0 "$1"
    rm -rf "$tmp"
}

make_one() {  # seconds name
    [ -f "$dir/$2" ] && return 0
    echo "making $2 ($renderer)" >&2
    case $renderer in
        fluidsynth*) render_fluidsynth "$1" "$dir/tmp_$2" ;;
        *) render_sox "$1" "$dir/tmp_$2" ;;
    esac
    mv "$dir/tmp_$2" "$dir/$2"
}

make_one 60 mix60.wav
make_one 600 mix600.wav
if [ "$long" = "--long" ]; then make_one 3600 mix3600.wav; fi
