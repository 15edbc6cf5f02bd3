#!/usr/bin/env bash
# Regenerates the bundled sample logs with the seeded generator (same seeds, same bytes).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TW_BUILD_DIR:-build}"
cmake --build "$build_dir" --target tw-loggen
gen="$build_dir/bench/tw-loggen"
"$gen" --rows 2000 --seed 2001 -o resources/samples/sample.twv
# A raw server log: no header, bare LF line ends and two lines that lost their browser label,
# so that the repair has something to do.
"$gen" --rows 200 --seed 501 --raw --damaged 2 -o resources/samples/access_log
# Web-server logs of one day with the rare rows a parser must handle (seeds chosen so that each
# kind shows up): Combined with LF line ends, and W3C extended as IIS writes it, with CR LF.
"$gen" --rows 200 --seed 1204 --format combined --rare-rows --start 2026-12-01 --days 0.7 \
    -o resources/samples/access.log
"$gen" --rows 200 --seed 1202 --format w3c --crlf --start 2026-12-01 --days 0.7 \
    -o resources/samples/u_ex261201.log
