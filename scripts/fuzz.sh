#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 into build-fuzz and runs each for SECONDS.
# Usage: scripts/fuzz.sh SECONDS [TARGET...]   (targets: cp932 reader csv repair settings statistics)
# Set TW_FUZZ_JOBS=2 to run two targets at a time. Crashes are written to build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(cp932 reader csv repair settings statistics)
scripts/install-deps.sh fuzz
build_dir="${TW_FUZZ_BUILD_DIR:-build-fuzz}"
if [ ! -f "$build_dir/build.ninja" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTW_FUZZ=ON >/dev/null
fi
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p "$build_dir/crashes" "$build_dir/logs"
run_one() {
    local t="$1" work="$build_dir/corpus/$1"
    mkdir -p "$work"
    # New inputs go to the work corpus; the seeds in fuzz/corpus stay as committed.
    "$build_dir/fuzz/fuzz_$t" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$build_dir/crashes/$t-" >"$build_dir/logs/$t.log" 2>&1
}
jobs_max="${TW_FUZZ_JOBS:-1}"
status=0
pids=()
names=()
for t in "${targets[@]}"; do
    run_one "$t" &
    pids+=($!)
    names+=("$t")
    if [ ${#pids[@]} -ge "$jobs_max" ]; then
        wait "${pids[0]}" || { echo "fuzz_${names[0]}: FAILED (see $build_dir/logs/${names[0]}.log)"; status=1; }
        pids=("${pids[@]:1}")
        names=("${names[@]:1}")
    fi
done
for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || { echo "fuzz_${names[$i]}: FAILED (see $build_dir/logs/${names[$i]}.log)"; status=1; }
done

for t in "${targets[@]}"; do
    log="$build_dir/logs/$t.log"
    last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    eps=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    printf 'fuzz_%-11s runs %-10s exec/s %-8s cov %-6s ft %s\n' "$t" "${execs:-?}" "${eps:-?}" "${cov:-?}" "${ft:-?}"
done
exit $status
