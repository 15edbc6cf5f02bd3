#!/usr/bin/env bash
# Builds Release and times the classification of a million Combined rows with 5,000 distinct
# user agents (bench_agents), on a log tw-loggen writes once into bench/data.
#   bench/run-agents.sh [--repeat R] [--agents N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-release
data=$root/bench/data
repeat=3
agents=5000
while [ $# -gt 0 ]; do
    case $1 in
    --repeat) repeat=$2; shift ;;
    --agents) agents=$2; shift ;;
    *) echo "usage: $0 [--repeat R] [--agents N]" >&2; exit 2 ;;
    esac
    shift
done
echo "== building Release in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tw-loggen bench_agents >/dev/null
mkdir -p "$data"
log=$data/agents-$agents-1000000.log
[ -s "$log" ] || {
    echo "== generating 1000000 Combined rows with $agents user agents" >&2
    "$build/bench/tw-loggen" --rows 1000000 --seed 1 --format combined --agents "$agents" -o "$log"
}
cat "$log" >/dev/null # into the page cache
"$build/bench/bench_agents" --repeat "$repeat" --file "$log"
