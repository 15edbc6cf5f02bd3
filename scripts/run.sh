#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program on the bundled sample log
# (or the file given). Without a display it prints the file's statistics with the command-line
# tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir="${TW_BUILD_DIR:-build}"
file="${1:-resources/samples/sample.twv}"
if [ -x "$build_dir/tallyweaver" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build_dir/tallyweaver" "$file"
fi
echo "No display: printing the statistics with tallyweaver-cli instead of opening the window." >&2
"$build_dir/tallyweaver-cli" stats browser "$file"
exec "$build_dir/tallyweaver-cli" stats platform "$file"
