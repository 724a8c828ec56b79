#!/bin/sh
# The benchmark command: builds the benchmarks and tonewarp-cli in Release
# into build-bench/, makes the test recordings (bench/make_material.sh), runs
# every benchmark once and prints the table of figures against their targets
# (medians of one run). The painting figures come from paint_bench on the
# offscreen Qt platform. The outputs of tonewarp-cli extract on the 60 s and
# 10 min recordings are checked against bench/golden_outputs.txt.
#
# usage: scripts/bench.sh [--quick] [--record-golden] [--quality]
#   --quick          leaves out the 1-hour memory figure (rendering and
#                    extracting an hour of music takes a few minutes, up to
#                    3.5 GB of memory and 7 GB of disk)
#   --record-golden  records the extraction outputs as the golden ones
#                    instead of checking them (only on purpose)
#   --quality        also measures how well the extraction separates
#                    (scripts/quality.sh, 5 to 10 minutes more) and adds its
#                    summary to the table
set -e
cd "$(dirname "$0")/.."
quick=no
record=no
quality=no
for a in "$@"; do
    case $a in
        --quick) quick=yes ;;
        --record-golden) record=yes ;;
        --quality) quality=yes ;;
        *) echo "usage: scripts/bench.sh [--quick] [--record-golden] [--quality]" >&2; exit 2 ;;
    esac
done

./scripts/install-deps.sh
# Warnings stay warnings here: -O3 brings false alarms of its own (GCC 12 -Wrestrict).
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_GUI=ON -DTW_BUILD_TESTS=OFF -DTW_WERROR=OFF >/dev/null
cmake --build build-bench -j2 --target tonewarp-cli dft_bench extract_bench tick_bench mem_bench bench_material \
    paint_bench gui_mem_bench >/dev/null

bin=build-bench/bin
mat=build-bench/material
work=build-bench/runs
out=build-bench/bench_table.md
golden=bench/golden_outputs.txt
mkdir -p "$work"
if [ $quick = yes ]; then
    bench/make_material.sh "$mat" "$bin/bench_material"
else
    bench/make_material.sh "$mat" "$bin/bench_material" --long
fi

calc() { awk "BEGIN { printf \"%.6f\\n\", $1 }"; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Field of a Google Benchmark CSV row: csv_field FILE ROW-NAME COLUMN (3 real time, 4 cpu time).
csv_field() { grep "^\"$2\"," "$1" | head -1 | cut -d, -f"$3"; }
check_golden() {  # name dir
    in_sum=$(sha256sum <"$mat/$1.wav" | cut -d' ' -f1)
    if [ $record = yes ]; then
        grep -v "^$in_sum " "$golden" 2>/dev/null >"$golden.new" || true
        for f in "$2"/*; do echo "$in_sum $(basename "$f") $(sha256sum <"$f" | cut -d' ' -f1)"; done >>"$golden.new"
        mv "$golden.new" "$golden"
        echo "recorded"
        return
    fi
    if ! grep -q "^$in_sum " "$golden" 2>/dev/null; then
        echo "no golden outputs for this recording"
        return
    fi
    want=$(grep "^$in_sum " "$golden" | sort)
    have=$(for f in "$2"/*; do echo "$in_sum $(basename "$f") $(sha256sum <"$f" | cut -d' ' -f1)"; done | sort)
    if [ "$want" = "$have" ]; then echo "identical"; else echo "DIFFERENT"; fi
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# 1. Extraction of the 60 s mix, five runs; the tool prints its wall time
#    and the rate (audio seconds per second of extraction).
rm -f "$work/rates60" "$work/proc60"
for i in 1 2 3 4 5; do
    rm -rf "$work/mix60"
    t0=$(date +%s.%N)
    "$bin/tonewarp-cli" extract "$mat/mix60.wav" --out "$work/mix60" >"$work/cli60.txt"
    t1=$(date +%s.%N)
    sed -n 's/^wall time: .*(\(.*\) x real time)$/\1/p' "$work/cli60.txt" >>"$work/rates60"
    calc "60 / ($t1 - $t0)" >>"$work/proc60"
done
rate60=$(median <"$work/rates60")
proc60=$(median <"$work/proc60")
gold60=$(check_golden mix60 "$work/mix60")
# The same extraction inside extract_bench (no files written): real and
# processor time, the latter less disturbed by other work on the machine.
"$bin/extract_bench" --recording="$mat/mix60.wav" --benchmark_filter=extract_recording --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv >"$work/extract.csv" 2>/dev/null
# /1 on one thread, /2 with the frames made ahead on a worker.
ext_real1=$(csv_field "$work/extract.csv" "extract_recording/1/min_time:2.000/real_time_median" 3)
ext_cpu1=$(csv_field "$work/extract.csv" "extract_recording/1/min_time:2.000/real_time_median" 4)
ext_real2=$(csv_field "$work/extract.csv" "extract_recording/2/min_time:2.000/real_time_median" 3)
# The same runs of the tool with the engine on one thread (--threads 1),
# each right after a run of the default, so both see the same load.
rm -f "$work/proc60t1" "$work/rates60t1"
for i in 1 2 3 4 5; do
    rm -rf "$work/mix60t1"
    t0=$(date +%s.%N)
    "$bin/tonewarp-cli" extract "$mat/mix60.wav" --out "$work/mix60t1" --threads 1 >"$work/cli60t1.txt"
    t1=$(date +%s.%N)
    sed -n 's/^wall time: .*(\(.*\) x real time)$/\1/p' "$work/cli60t1.txt" >>"$work/rates60t1"
    calc "60 / ($t1 - $t0)" >>"$work/proc60t1"
done
rate60t1=$(median <"$work/rates60t1")
proc60t1=$(median <"$work/proc60t1")
# Peak resident size of one 60 s run, with the worker and on one thread.
peak60=$("$bin/mem_bench" peak "$bin/tonewarp-cli" "$mat/mix60.wav" "$work/peak60" | sed -n 's/^peak_rss_mb //p')
peak60t1=$("$bin/mem_bench" peak "$bin/tonewarp-cli" "$mat/mix60.wav" "$work/peak60" --threads 1 |
    sed -n 's/^peak_rss_mb //p')
rm -rf "$work/peak60"
gold60t1=$(check_golden mix60 "$work/mix60t1")
# Eight 60 s files in one call, one at a time and two at a time (--jobs):
# audio seconds per second of the whole call, three calls each, in turn.
mkdir -p "$work/eight"
for i in 1 2 3 4 5 6 7 8; do ln -sf "$(pwd)/$mat/mix60.wav" "$work/eight/song$i.wav"; done
rm -f "$work/jobs1" "$work/jobs2"
for i in 1 2 3; do
    for j in 1 2; do
        rm -rf "$work/eight_out"
        t0=$(date +%s.%N)
        "$bin/tonewarp-cli" extract "$work"/eight/song*.wav --out "$work/eight_out" --jobs $j >/dev/null
        t1=$(date +%s.%N)
        calc "480 / ($t1 - $t0)" >>"$work/jobs$j"
    done
done
jobs1=$(median <"$work/jobs1")
jobs2=$(median <"$work/jobs2")
gold_jobs=$(check_golden mix60 "$work/eight_out/song8_parts")
rm -rf "$work/eight_out"
rm -rf "$work/mix600"
"$bin/tonewarp-cli" extract "$mat/mix600.wav" --out "$work/mix600" >"$work/cli600.txt"
rate600=$(sed -n 's/^wall time: .*(\(.*\) x real time)$/\1/p' "$work/cli600.txt")
gold600=$(check_golden mix600 "$work/mix600")

# 2. One timer tick's batch with seven active parts.
"$bin/tick_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv >"$work/tick.csv" 2>/dev/null
tick=$(csv_field "$work/tick.csv" "tick_with_7_parts/min_time:2.000/manual_time_median" 3)

# 3. The transforms at N = 1024 against FFTW's planned transform.
"$bin/dft_bench" --benchmark_filter='/1024$' --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv >"$work/dft.csv" 2>/dev/null
for col in 3 4; do  # real time, processor time
    eval "dft_$col=\$(csv_field \"\$work/dft.csv\" bm_exec_dft/1024_median $col)"
    eval "ivdft_$col=\$(csv_field \"\$work/dft.csv\" bm_exec_ivdft/1024_median $col)"
    eval "fftw_f_$col=\$(csv_field \"\$work/dft.csv\" bm_fftw/1024_median $col)"
    eval "fftw_b_$col=\$(csv_field \"\$work/dft.csv\" bm_fftw_backward/1024_median $col)"
done
ratio=$(calc "($dft_3 + $ivdft_3) / ($fftw_f_3 + $fftw_b_3)")
ratio_cpu=$(calc "($dft_4 + $ivdft_4) / ($fftw_f_4 + $fftw_b_4)")

# 4 and 5. Painting: the full repaint and the values repaint after a scroll
#    step at every zoom from 1/4096 to x8 (the slowest zoom is the figure),
#    and the frequency display.
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$bin/paint_bench" \
    --benchmark_filter='BM_full_repaint|BM_scroll_step|BM_freq_display' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv >"$work/paint.csv" 2>/dev/null
# slowest NAME: the largest median over the zooms of benchmark NAME, and its zoom label.
slowest() {
    grep "^\"$1/[0-9]*_median\"," "$work/paint.csv" | awk -F, '
        { t = $3 + 0; if (t > m) { m = t; z = $8 } }
        END { gsub(/"/, "", z); split(z, w, " "); printf "%.2f %s\n", m, w[1] }'
}
full=$(slowest BM_full_repaint)
scroll=$(slowest BM_scroll_step)
full_ms=${full% *}
scroll_ms=${scroll% *}
freq_ms=$(csv_field "$work/paint.csv" BM_freq_display_median 3)

# 6. Memory: peak resident size on the 1-hour recording; ten runs in one
#    process on the 10-minute one.
"$bin/mem_bench" repeat 10 "$mat/mix600.wav" "$work/repeat600" >"$work/repeat.txt"
growth=$(sed -n 's/^growth_mb //p' "$work/repeat.txt")
# The window: ten open - extract - close cycles of the 10-minute recording.
(mkdir -p "$work/gui-home" && cd "$work/gui-home" && HOME=$(pwd) QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    "../../bin/gui_mem_bench" 10 "../../material/mix600.wav") >"$work/gui_repeat.txt" 2>/dev/null
gui_growth=$(sed -n 's/^growth_mb //p' "$work/gui_repeat.txt")
gui_parts=$(sed -n 's/^cycle 10 parts \([0-9]*\).*/\1/p' "$work/gui_repeat.txt")
if [ $quick = no ]; then
    rm -rf "$work/mix3600"
    "$bin/mem_bench" peak "$bin/tonewarp-cli" "$mat/mix3600.wav" "$work/mix3600" >"$work/peak.txt"
    rm -rf "$work/mix3600"
    peak=$(sed -n 's/^peak_rss_mb //p' "$work/peak.txt")
    data=$(sed -n 's/^data_mb //p' "$work/peak.txt")
    parts=$(sed -n 's/^parts //p' "$work/peak.txt")
    bound=$(calc "(2 + $parts) * 1.25 * $data + 300")
fi

met() { if awk "BEGIN { exit !($1) }"; then echo yes; else echo NO; fi; }
{
    echo "Tone_Warp Extractor benchmarks, $(date '+%Y-%m-%d %H:%M'), $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'),"
    echo "$(nproc) cores, load average before the run: $load_before. Medians of one run; under load they are noisy."
    echo "Recordings: $(cat "$mat/renderer.txt")."
    echo
    echo "| # | Figure | Measured | Target | Met |"
    echo "|---|---|---|---|---|"
    printf '| 1 | extract, 60 s mix: engine run (5 runs), with the worker / --threads 1 | %.1f / %.1f x real time | >= 200 x | %s |\n' \
        "$rate60" "$rate60t1" "$(met "$rate60 >= 200")"
    printf '| 1 | the same: with the worker / --threads 1 | %.2f | >= 1.6 | %s |\n' \
        "$(calc "$rate60 / $rate60t1")" "$(met "$rate60 / $rate60t1 >= 1.6")"
    printf '| 1 | extract_bench, 60 s mix (5 runs): with the worker / one thread (processor time of one thread) | %.1f / %.1f (%.1f) x real time | (for reference) | |\n' \
        "$(calc "60000 / $ext_real2")" "$(calc "60000 / $ext_real1")" "$(calc "60000 / $ext_cpu1")"
    printf '| 1 | extract, 60 s mix: whole process incl. file I/O, with the worker / --threads 1 | %.1f / %.1f x real time | >= 150 x | %s |\n' \
        "$proc60" "$proc60t1" "$(met "$proc60 >= 150")"
    printf '| 1 | peak resident size, extract 60 s mix: with the worker / --threads 1 | %.1f / %.1f MB | <= 1.05 x | %s |\n' \
        "$peak60" "$peak60t1" "$(met "$peak60 <= 1.05 * $peak60t1")"
    printf '| 1 | extract, 8 files x 60 s in one call: --jobs 1 / --jobs 2 | %.1f / %.1f x real time | (for reference) | |\n' \
        "$jobs1" "$jobs2"
    printf '| 1 | extract, 10 min mix: engine run (1 run) | %.1f x real time | (for reference) | |\n' "$rate600"
    printf '| 1 | outputs against the golden ones (60 s; --threads 1; --jobs 2; 10 min) | %s; %s; %s; %s | identical | %s |\n' \
        "$gold60" "$gold60t1" "$gold_jobs" "$gold600" \
        "$(if [ "$gold60 $gold60t1 $gold_jobs $gold600" = "identical identical identical identical" ]; then echo yes; else echo NO; fi)"
    printf '| 2 | timer tick batch, 7 active parts | %.3f ms | < 5 ms | %s |\n' "$tick" "$(met "$tick < 5")"
    printf '| 3 | exec_dft / exec_ivdft N=1024: real (processor) time | %.0f / %.0f ns (%.0f / %.0f ns) | | |\n' \
        "$dft_3" "$ivdft_3" "$dft_4" "$ivdft_4"
    printf '| 3 | FFTW planned forward / backward N=1024: real (processor) time | %.0f / %.0f ns (%.0f / %.0f ns) | | |\n' \
        "$fftw_f_3" "$fftw_b_3" "$fftw_f_4" "$fftw_b_4"
    printf '| 3 | (exec_dft + exec_ivdft) / (FFTW forward + backward): real (processor) | %.2f (%.2f) | <= 3 | %s |\n' \
        "$ratio" "$ratio_cpu" "$(met "$ratio <= 3")"
    printf '| 4 | full repaint 1920x1080, 10 min, 7 parts, slowest of 16 zooms (at %s) | %.2f ms | < 16 ms | %s |\n' \
        "${full#* }" "$full_ms" "$(met "$full_ms < 16")"
    printf '| 4 | draw_all_data after a scroll step, slowest of 16 zooms (at %s) | %.2f ms | < 8 ms | %s |\n' \
        "${scroll#* }" "$scroll_ms" "$(met "$scroll_ms < 8")"
    printf '| 5 | frequency display repaint, 64 samples/pixel, 1800 px | %.2f ms | < 25 ms | %s |\n' \
        "$freq_ms" "$(met "$freq_ms < 25")"
    if [ $quick = no ]; then
        printf '| 6 | peak resident size, extract, 1 h mix (%d parts, %.0f MB data) | %.0f MB | <= %.0f MB | %s |\n' \
            "$parts" "$data" "$peak" "$bound" "$(met "$peak <= $bound")"
    else
        echo "| 6 | peak resident size, extract, 1 h mix | not run (--quick) | (2 + parts) x 1.25 x data + 300 MB | |"
    fi
    printf '| 6 | resident size growth over runs 5 .. 10 in one process (10 min mix) | %.1f MB | none (< 1 MB) | %s |\n' \
        "$growth" "$(met "$growth < 1")"
    printf '| 6 | window: resident size growth over cycles 5 .. 10 of open - extract (%s parts) - close (10 min mix) | %.1f MB | none (< 1 MB) | %s |\n' \
        "$gui_parts" "$gui_growth" "$(met "$gui_growth < 1")"
} | tee "$out"

# The separation quality (scripts/quality.sh, its own build in build-quality/):
# its summary after the speed figures; every table in build-quality/quality/.
if [ $quality = yes ]; then
    ./scripts/quality.sh >"$work/quality.log"
    { echo; cat build-quality/quality/summary.md; } | tee -a "$out"
fi
