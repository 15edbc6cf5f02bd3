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
