#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program on the bundled sample log
# (or the file given). Without a display it prints the list with the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir="${TW_BUILD_DIR:-build}"
file="${1:-resources/samples/sample.twv}"
if [ -x "$build_dir/tallyweaver" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build_dir/tallyweaver" "$file"
fi
echo "No display: showing the list with tallyweaver-cli." >&2
exec "$build_dir/tallyweaver-cli" show "$file"
