#!/usr/bin/env bash
# Counts the status codes, daily hits and daily visitors of a generated Combined log with
# tallyweaver-cli and with GoAccess, prints both side by side and says whether they agree.
#
#   bench/compare-goaccess.sh [--rows N]
#
# The log (N lines, default 1,000,000, a year of days, the rare rows on for 408 responses,
# escaped and modern user agents) is generated into bench/data/. GoAccess is told to count
# what we count: host names as well as addresses, 4xx responses as visitors, crawlers and
# static files kept, every day listed. The exit status is 0 when every figure agrees, 1 when one differs.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TW_BUILD_DIR:-$root/build-release}
rows=1000000
while [ $# -gt 0 ]; do
    case $1 in
    --rows) rows=$2; shift ;;
    *) echo "usage: $0 [--rows N]" >&2; exit 2 ;;
    esac
    shift
done

for tool in goaccess python3; do
    command -v $tool >/dev/null || { echo "$0: $tool is missing" >&2; exit 2; }
done
if [ ! -x "$build/tallyweaver-cli" ] || [ ! -x "$build/bench/tw-loggen" ]; then
    echo "== building Release in $build" >&2
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j"$(nproc)" --target tw-loggen tallyweaver-cli >/dev/null
fi

loggen=("$build/bench/tw-loggen" --rows "$rows" --seed 1 --format combined --days 365 --rare-rows)
# Many distinct user agents, when the generator can make them.
if "$build/bench/tw-loggen" --help 2>&1 | grep -q -- --agents; then
    loggen+=(--agents 5000)
fi
mkdir -p "$root/bench/data"
log=$root/bench/data/compare-$rows-$(echo "${loggen[*]:3}" | md5sum | cut -c1-8).log
if [ ! -s "$log" ]; then
    echo "== generating: ${loggen[*]##*/}" >&2
    "${loggen[@]}" -o "$log"
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

echo "== tallyweaver-cli stats status, stats days" >&2
"$build/tallyweaver-cli" stats status "$log" >"$tmp/tw-status.tsv" 2>"$tmp/tw-err"
"$build/tallyweaver-cli" stats days "$log" >"$tmp/tw-days.tsv" 2>>"$tmp/tw-err"
echo "== goaccess" >&2
# Its own configuration is left out; HOME is empty so no user file is read either. A panel
# lists at most 366 entries (the last days) unless --max-items says more.
HOME=$tmp goaccess "$log" --log-format=COMBINED --no-global-config --no-progress \
    --no-ip-validation --4xx-to-unique-count --max-items=1000000 -o "$tmp/goaccess.json" \
    2>"$tmp/go-err" ||
    { cat "$tmp/go-err" >&2; exit 2; }

python3 - "$tmp" "$log" "${loggen[*]##*/}" <<'PY'
import json, sys

tmp, log, generated = sys.argv[1:4]
# GoAccess writes the log's bytes into its JSON as they are; only numbers are read here.
go = json.loads(open(f"{tmp}/goaccess.json", "rb").read().decode("utf-8", "replace"))

def lines(name):
    return [l.split("\t") for l in open(f"{tmp}/{name}", encoding="utf-8").read().splitlines()]

tw_status = {key: int(count) for count, share, key in lines("tw-status.tsv")}
tw_days = {day.replace("/", ""): (int(hits), int(visitors))
           for day, hits, visitors, _bytes in lines("tw-days.tsv")}

go_status = {}
for group in go["status_codes"]["data"]:
    for item in group.get("items", []):
        go_status[item["data"].split(" ")[0]] = item["hits"]["count"]
go_days = {d["data"]: (d["hits"]["count"], d["visitors"]["count"]) for d in go["visitors"]["data"]}

general = go["general"]
print(f"log: {log} ({generated})")
print(f"GoAccess: {general['total_requests']} requests, {general['valid_requests']} valid, "
      f"{general['failed_requests']} failed")
print()
agree = True
print("status\ttallyweaver\tgoaccess")
for code in sorted(set(tw_status) | set(go_status)):
    a, b = tw_status.get(code, 0), go_status.get(code, 0)
    agree &= a == b
    print(f"{code}\t{a}\t{b}" + ("" if a == b else "\t<- differs"))
print()
print("day\thits (tw)\thits (go)\tvisitors (tw)\tvisitors (go)")
# GoAccess lists only days with hits; ours lists every day from the first to the last.
days = sorted(set(tw_days) | set(go_days))
differing = 0
skipping = False
for i, day in enumerate(days):
    (th, tv), (gh, gv) = tw_days.get(day, (0, 0)), go_days.get(day, (0, 0))
    same = th == gh and tv == gv
    agree &= same
    differing += not same
    # Every differing day, and the first and last few of the others.
    if same and 5 <= i < len(days) - 3:
        if not skipping:
            print("...")
        skipping = True
        continue
    skipping = False
    print(f"{day[:4]}/{day[4:6]}/{day[6:]}\t{th}\t{gh}\t{tv}\t{gv}" +
          ("" if same else "\t<- differs"))
tw_hits = sum(h for h, _ in tw_days.values())
go_hits = sum(h for h, _ in go_days.values())
print(f"total\t{tw_hits}\t{go_hits}\t{sum(v for _, v in tw_days.values())}\t"
      f"{sum(v for _, v in go_days.values())}")
print(f"days: {len(tw_days)} (tallyweaver, zero days included), {len(go_days)} (goaccess), "
      f"{differing} differing")
print()
print("AGREE: status codes, daily hits and daily visitors are the same" if agree else
      "DIFFER: see the lines marked above")
sys.exit(0 if agree else 1)
PY
