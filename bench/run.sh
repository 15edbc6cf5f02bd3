#!/usr/bin/env bash
# Builds Release, generates the benchmark logs and prints one table of seconds and peak memory
# per log size, then compares the reading of a web-server log with GoAccess and lnav.
#
#   bench/run.sh                 10k, 100k, 1M and 5M rows
#   bench/run.sh --quick         10k, 100k and 1M rows
#   bench/run.sh --rows "N ..."  the given sizes
#   bench/run.sh --web           only the comparison on the web-server log
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
    --web) sizes="" ;;
    --repeat) repeat=$2; shift ;;
    *) echo "usage: $0 [--quick] [--rows \"N ...\"] [--web] [--repeat R]" >&2; exit 2 ;;
    esac
    shift
done
combined_rows=1000000

"$root/scripts/install-deps.sh" bench
echo "== building Release in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tw-loggen bench_read_save bench_statistics bench_filter bench_filter_typing bench_gui_open \
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
[ -s "$combined.gz" ] || {
    echo "== generating $combined_rows rows, Combined format, gzip" >&2
    "$build/bench/tw-loggen" --rows $combined_rows --seed 1 --format combined --gzip \
        -o "$combined.gz"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen

if [ -n "$sizes" ]; then
    # Every benchmark prints "@ NAME SECONDS PEAK_KB" lines; collect them as "SIZE NAME SECONDS KB".
    results=$tmp/results
    for n in $sizes; do
        f=$(list_file "$n")
        echo "== measuring $n rows" >&2
        cat "$f" >/dev/null # into the page cache
        {
            "$build/bench/bench_read_save" --repeat "$repeat" --file "$f"
            "$build/bench/bench_statistics" --file "$f"
            "$build/bench/bench_filter" --repeat "$repeat" --file "$f"
            "$build/bench/bench_filter_typing" --repeat "$repeat" --file "$f"
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

fi

# The web-server log against GoAccess and lnav, each run with a new empty HOME.
echo "== comparing on $combined_rows visits in Combined format" >&2
cat "$combined" "$combined.gz" "$combined_list" >/dev/null # into the page cache
lines=$(wc -l <"$combined")
file_kb=$(($(stat -c %s "$combined") / 1024))

# best_of CMD...: prints "SECONDS PEAK_KB SKIPPED" (fastest run, largest peak, the CLI's count
# of skipped lines) or fails when a run fails; the last run's output stays in $tmp/out.
best_of() {
    local best="" peak=0 secs kb
    for _ in $(seq "$repeat"); do
        rm -rf "$tmp/home" && mkdir "$tmp/home"
        HOME=$tmp/home /usr/bin/time -f "%e %M" -o "$tmp/time" "$@" </dev/null \
            >"$tmp/out" 2>"$tmp/err" || return 1
        read -r secs kb < <(tail -1 "$tmp/time")
        if [ -z "$best" ] || [ "$(echo "$secs < $best" | bc)" = 1 ]; then best=$secs; fi
        if [ "$kb" -gt "$peak" ]; then peak=$kb; fi
    done
    echo "$best $peak $(sed -n 's/.*: \([0-9]*\) lines skipped$/\1/p' "$tmp/err" | head -1)"
}

# One row of the table: NAME SECONDS PEAK_KB [NOTE]; "n/a" when SECONDS is empty.
rows=$tmp/rows
: >"$rows"
row() { printf '%s\t%s\t%s\t%s\n' "$1" "${2:-n/a}" "${3:-}" "${4:-}" >>"$rows"; }

# GoAccess takes only IP addresses as hosts and rejects the other lines: once as before, then
# with --no-ip-validation, which parses every line and is the run the ratios are against.
go_version=$(goaccess --version | head -1 | awk '{print $3}' | sed 's/\.$//')
go_secs=""
for check in on off; do
    name="GoAccess $go_version --log-format=COMBINED"
    extra=()
    [ $check = off ] && name+=" --no-ip-validation" && extra=(--no-ip-validation)
    if m=$(best_of goaccess "$combined" --log-format=COMBINED "${extra[@]}" --no-global-config \
        --no-progress -o "$tmp/go.json"); then
        read -r secs kb _ <<<"$m"
        valid=$(grep -o '"valid_requests": *[0-9]*' "$tmp/go.json" | grep -o '[0-9]*$' | head -1)
        note=$([ "$valid" = "$lines" ] || echo "${valid:-no} of $lines lines valid")
        row "$name" "$secs" "$kb" "$note"
        [ $check = off ] && [ "$valid" = "$lines" ] && go_secs=$secs
    else
        row "$name" "" "" "failed: $(tail -1 "$tmp/err")"
    fi
done

lnav_secs=""
if m=$(best_of lnav -n -c ';SELECT count(*) FROM access_log' "$combined"); then
    counted=$(awk 'NR == 2 { print $1 }' "$tmp/out")
    read -r secs kb _ <<<"$m"
    if [ "$counted" = "$lines" ]; then
        lnav_secs=$secs
        row "lnav $(lnav -V | awk '{print $2}') count(*) access_log" "$secs" "$kb"
    else
        row "lnav count(*) access_log" "" "" "counted ${counted:-nothing} of $lines lines"
    fi
else
    row "lnav count(*) access_log" "" "" "failed: $(tail -1 "$tmp/err")"
fi

tw_row() {
    local name=$1
    shift
    if m=$(best_of "$@"); then
        read -r secs kb skipped <<<"$m"
        row "$name" "$secs" "$kb" "${skipped:+$skipped lines skipped}"
    else
        row "$name" "" "" "$(tail -1 "$tmp/err")"
        return 1
    fi
}
cli=$build/tallyweaver-cli
reads_web_logs=yes
tw_row "tallyweaver-cli stats host LOG" "$cli" stats host "$combined" || reads_web_logs=""
tw_row "tallyweaver-cli stats host LOG.gz" "$cli" stats host "$combined.gz" || true
# The window would wait on its error box for a log it cannot read.
if [ -n "$reads_web_logs" ] &&
    timeout 600 "$build/bench/bench_gui_open" --repeat "$repeat" --file "$combined" \
        >"$tmp/gui" 2>"$tmp/gui-err" && ! grep -q 'open failed' "$tmp/gui-err" &&
    read -r secs kb < <(awk '$1 == "@" && $2 == "gui-open" { print $3, $4 }' "$tmp/gui") &&
    [ -n "$secs" ]; then
    row "window: open LOG, first rows painted" "$secs" "$kb" "memory: the first open"
else
    row "window: open LOG, first rows painted" "" "" \
        "${reads_web_logs:+$(tail -1 "$tmp/gui-err")}${reads_web_logs:-not run: the CLI cannot read LOG}"
fi
tw_row "tallyweaver-cli stats browser LIST" "$cli" stats browser "$combined_list" || true

echo
printf 'LOG: %s, %d lines, %.1f MB (gzip %.1f MB); LIST: the same visits as a list file.\n' \
    "${combined#"$root"/}" "$lines" "$(echo "$(stat -c %s "$combined") / 1000000" | bc -l)" \
    "$(echo "$(stat -c %s "$combined.gz") / 1000000" | bc -l)"
echo "Wall seconds, best of $repeat; peak resident memory, largest of the runs, in MB and per"
echo "MB of LOG. Targets: LOG in 0.5 s, LOG.gz in 1.2 s, memory 1.5 x LOG, 20 x GoAccess, 2 x lnav."
awk -F'\t' -v go="$go_secs" -v lnav="$lnav_secs" -v file_kb="$file_kb" '
    function ratio(peer, secs) {
        return peer != "" && secs > 0 && $1 !~ /^(GoAccess|lnav)/ ? sprintf("x%.1f", peer / secs) : ""
    }
    BEGIN { printf "%-58s %8s %8s %5s %11s %7s\n", "", "seconds", "peak MB", "/LOG", "vs GoAccess", "vs lnav" }
    {
        if ($2 == "n/a") { printf "%-58s %8s %s\n", $1, "n/a", $4; next }
        printf "%-58s %8.3f %8.0f %5.2f %11s %7s %s\n", $1, $2, $3 / 1024, $3 / file_kb,
            ratio(go, $2), ratio(lnav, $2), $4
    }' "$rows"
