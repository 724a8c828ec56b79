#!/bin/sh
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer)
# into build-fuzz and runs each for the given number of seconds, starting from
# its seed corpus fuzz/corpus/<target>. The inputs a run adds stay in a
# scratch directory that is removed afterwards; an input that breaks a
# target is kept in build-fuzz/artifacts/<target>/ and the script fails.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
#   SECONDS  per target, default 60
#   TARGET   wave_io sys_param cp932 part_name extract (default: all)
# A kept input is replayed with: build-fuzz/fuzz/fuzz_<target> <file>
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
secs=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-"wave_io sys_param cp932 part_name extract"}

./scripts/install-deps.sh
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTW_FUZZ=ON \
    -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF -DTW_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2 --target fuzz_targets

# Scratch space on a memory file system where there is one: the targets
# write and sync small files at every input.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then base=/dev/shm; else base=${TMPDIR:-/tmp}; fi
scratch=$(mktemp -d "$base/tw-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM

failed=""
for t in $targets; do
    bin="$root/build-fuzz/fuzz/fuzz_$t"
    if [ ! -x "$bin" ]; then
        echo "fuzz_$t: no such target" >&2
        failed="$failed $t"
        continue
    fi
    corpus="$scratch/$t/corpus"
    mkdir -p "$corpus" "$scratch/$t/cwd" "$root/build-fuzz/artifacts/$t"
    cp "$root/fuzz/corpus/$t/"* "$corpus/"
    seeds=$(ls "$corpus" | wc -l)
    log="$scratch/$t/log"
    if TW_FUZZ_WORKDIR="$scratch/$t/cwd" "$bin" -max_total_time="$secs" -timeout=60 -rss_limit_mb=3072 \
        -print_final_stats=1 -artifact_prefix="$root/build-fuzz/artifacts/$t/" "$corpus" >"$log" 2>&1; then
        status=ok
    else
        status=FAILED
        failed="$failed $t"
    fi
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "fuzz_$t: ${execs:-?} inputs run in ${secs} s, corpus $seeds -> $(ls "$corpus" | wc -l) inputs: $status"
    if [ "$status" != ok ]; then
        grep -E "tw fuzz:|ERROR|runtime error|SUMMARY|Test unit written" "$log" | head -n 20 >&2 || true
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing found problems in:$failed (inputs in build-fuzz/artifacts/)" >&2
    exit 1
fi
