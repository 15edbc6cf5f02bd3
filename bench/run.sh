#!/usr/bin/env bash
# Builds Release, generates the benchmark logs and prints one table of seconds and peak memory
# per log size, then times the browser statistics against GoAccess on the same visits.
#
#   bench/run.sh                 10k, 100k, 1M and 5M rows
#   bench/run.sh --quick         10k, 100k and 1M rows
#   bench/run.sh --rows "N ..."  the given sizes
#   --repeat R                   runs per measurement, best kept (default 3)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-release
data=$root/bench/data
sizes="10000 100000 1000000 5000000"
repeat=3
while [ $# -gt 0 ]; do
    case $1 in
    --quick) sizes="10000 100000 1000000" ;;
    --rows) sizes=$2; shift ;;
    --repeat) repeat=$2; shift ;;
    *) echo "usage: $0 [--quick] [--rows \"N ...\"] [--repeat R]" >&2; exit 2 ;;
    esac
    shift
done
combined_rows=1000000

echo "== building Release in $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
make -C "$build" -j"$(nproc)" tw-loggen bench_read_save bench_statistics bench_gui_open \
    tallyweaver-cli >/dev/null

mkdir -p "$data"
list_file() { echo "$data/rows-$1.twv"; }
for n in $sizes; do
    [ -s "$(list_file "$n")" ] || {
        echo "== generating $n rows" >&2
        "$build/bench/tw-loggen" --rows "$n" --seed 1 -o "$(list_file "$n")"
    }
done
combined=$data/rows-$combined_rows.log
combined_list=$(list_file $combined_rows)
[ -s "$combined_list" ] || "$build/bench/tw-loggen" --rows $combined_rows --seed 1 -o "$combined_list"
[ -s "$combined" ] || {
    echo "== generating $combined_rows rows, Combined format" >&2
    "$build/bench/tw-loggen" --rows $combined_rows --seed 1 --format combined -o "$combined"
}

# Every benchmark prints "@ NAME SECONDS PEAK_KB" lines; collect them as "SIZE NAME SECONDS KB".
results=$(mktemp)
trap 'rm -f "$results"' EXIT
export QT_QPA_PLATFORM=offscreen
for n in $sizes; do
    f=$(list_file "$n")
    echo "== measuring $n rows" >&2
    cat "$f" >/dev/null # into the page cache
    {
        "$build/bench/bench_read_save" --repeat "$repeat" --file "$f"
        "$build/bench/bench_statistics" --file "$f"
        "$build/bench/bench_gui_open" --repeat "$repeat" --file "$f"
        best=""
        for _ in $(seq "$repeat"); do
            line=$("$build/bench/bench_gui_open" --startup "$f" | grep '^@')
            secs=$(echo "$line" | awk '{print $3}')
            if [ -z "$best" ] || awk -v a="$secs" -v b="$(echo "$best" | awk '{print $3}')" \
                'BEGIN { exit !(a < b) }'; then best=$line; fi
        done
        echo "$best"
    } | awk -v n="$n" '$1 == "@" { print n, $2, $3, $4 }' >>"$results"
done

echo
echo "Seconds (wall, best of $repeat) and peak resident memory in MB of the measuring process;"
echo "sorts, statistics and search run on the loaded list, so their memory is the process's."
awk -v sizes="$sizes" '
    { key = $1 SUBSEP $2; secs[key] = $3; kb[key] = $4; if (!($2 in seen)) { seen[$2] = 1; names[++count] = $2 } }
    END {
        ns = split(sizes, size, " ")
        printf "%-22s", "rows"
        for (i = 1; i <= ns; ++i) printf " %18s", size[i]
        printf "\n"
        for (j = 1; j <= count; ++j) {
            printf "%-22s", names[j]
            for (i = 1; i <= ns; ++i) {
                key = size[i] SUBSEP names[j]
                if (key in secs) printf " %9.3f s %5.0f MB", secs[key], kb[key] / 1024
                else printf " %18s", "-"
            }
            printf "\n"
        }
    }' "$results"
printf "%-22s" "list file MB"
for n in $sizes; do printf " %18.1f" "$(echo "$(stat -c %s "$(list_file "$n")") / 1000000" | bc -l)"; done
printf "\n"

# Growth from each size to the next: how many times the time for how many times the rows.
echo
for name in open sort-slowest stats-access stats-host search-nothing twv gui-startup; do
    awk -v name="$name" -v sizes="$sizes" '$2 == name { s[$1] = $3 } END {
        n = split(sizes, size, " ")
        for (i = 1; i < n; ++i) if (s[size[i]] > 0)
            printf "growth %-14s %8d -> %8d rows (x%.0f): x%.1f time\n", name, size[i],
                size[i + 1], size[i + 1] / size[i], s[size[i + 1]] / s[size[i]] }' "$results"
done

echo
echo "== GoAccess against tallyweaver-cli stats browser, $combined_rows visits" >&2
command -v goaccess >/dev/null || apt-get install -y goaccess >/dev/null
home=$(mktemp -d)
out=$(mktemp -d)
best_go="" best_tw=""
faster() { [ -z "$2" ] || [ "$(echo "$1 < $2" | bc)" = 1 ]; }
for _ in $(seq "$repeat"); do
    HOME=$home /usr/bin/time -f %e -o "$out/time" goaccess "$combined" --log-format=COMBINED \
        --no-global-config --no-progress -o "$out/go.json" </dev/null >/dev/null 2>&1
    t=$(tail -1 "$out/time")
    if faster "$t" "$best_go"; then best_go=$t; fi
    /usr/bin/time -f %e -o "$out/time" "$build/tallyweaver-cli" stats browser "$combined_list" \
        </dev/null >"$out/tw.txt"
    t=$(tail -1 "$out/time")
    if faster "$t" "$best_tw"; then best_tw=$t; fi
done
rm -rf "$home" "$out"
echo "GoAccess $(goaccess --version 2>/dev/null | head -1 | awk '{print $3}' | sed 's/\.$//'): $best_go s;" \
    "tallyweaver-cli stats browser: $best_tw s;" \
    "ratio x$(echo "scale=1; $best_go / $best_tw" | bc)"
