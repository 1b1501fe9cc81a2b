#!/usr/bin/env bash
# Runs every fuzz harness for SECONDS seconds (default 600), at most two at a time and at a low
# priority, keeping what each has learnt in build/fuzz/corpus-NAME for the next time. A crash
# leaves its input in build/fuzz/crashes-NAME/; turn it into a regression test (fuzz/README.md).
# At the end it prints, per harness, the inputs tried, the coverage reached (cov: edges,
# ft: features) and the crashes found.
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
    harnesses=(project_run csv_import grid_block size_options)
fi
parallel=${FUZZ_PARALLEL:-2}

declare -A max_len=([project_run]=20000 [csv_import]=8192 [grid_block]=4096 [size_options]=1024 [side_file]=65536)

if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build --target carexa_fuzzers

run() {
    local name=$1
    local out=build/fuzz
    mkdir -p "$out/corpus-$name" "$out/crashes-$name"
    local inputs=("$out/corpus-$name" "fuzz/corpus/$name")
    if [ -d "fuzz/regressions/$name" ]; then
        inputs+=("fuzz/regressions/$name")
    fi
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        nice -n 10 "$out/fuzz_$name" -max_total_time="$seconds" -max_len="${max_len[$name]}" \
        -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$out/crashes-$name/" "${inputs[@]}" >"$out/log-$name.txt" 2>&1 || true
}

running=0
for name in "${harnesses[@]}"; do
    if [ -z "${max_len[$name]+x}" ]; then
        echo "fuzz: no harness named $name" >&2
        exit 2
    fi
    run "$name" &
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

status=0
for name in "${harnesses[@]}"; do
    log=build/fuzz/log-$name.txt
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    runs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}' || true)
    crashes=$(find "build/fuzz/crashes-$name" -type f | wc -l)
    echo "$name: ${runs:-?} inputs; ${done_line:-no final line}; $crashes crash(es)"
    if [ "$crashes" -gt 0 ]; then
        status=1
    fi
done
exit $status
