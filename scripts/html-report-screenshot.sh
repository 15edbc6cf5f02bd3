#!/usr/bin/env bash
# Makes the HTML report of a generated Combined log with tallyweaver-cli, renders it in headless
# Chromium at a phone's and a desktop's width, checks that the page rendered (both charts and
# the totals are in the browser's DOM) and keeps the pictures: the desktop one as
# docs/screenshot-html-report.png, both in OUTDIR (default build/html-report).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TW_BUILD_DIR:-build}"
out_dir="${1:-$build_dir/html-report}"

command -v chromium >/dev/null || scripts/install-deps.sh report
if [ ! -x "$build_dir/tallyweaver-cli" ] || [ ! -x "$build_dir/bench/tw-loggen" ]; then
    TW_BUILD_DIR="$build_dir" scripts/build.sh
fi
mkdir -p "$out_dir"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$build_dir/bench/tw-loggen" --format combined --rare-rows --rows 20000 --days 30 --seed 7 \
    --start 2026-11-01 -o "$work/access.log"
"$build_dir/tallyweaver-cli" report --html -o "$out_dir/report.html" --now "2026-12-07 09:00" \
    "$work/access.log"
page="file://$(realpath "$out_dir/report.html")"

# As root Chromium runs only without its sandbox; its profile stays in the private folder.
browse() {
    chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars --no-first-run \
        --user-data-dir="$work/profile" "$@" 2>"$work/chromium.log"
}

browse --dump-dom "$page" >"$work/dom.html"
fail() { echo "html-report-screenshot: $*" >&2; exit 1; }
[ "$(grep -o '<svg' "$work/dom.html" | wc -l)" -eq 2 ] || fail "the two charts are not in the page"
grep -q 'アクセス数</div><div class="value">20,000</div>' "$work/dom.html" ||
    fail "the totals are not in the page"
grep -q '<td class="key">' "$work/dom.html" || fail "no statistics table in the page"

browse --window-size=390,6200 --screenshot="$out_dir/phone.png" "$page"
browse --window-size=1280,3050 --screenshot="$out_dir/desktop.png" "$page"
for shot in phone desktop; do
    [ -s "$out_dir/$shot.png" ] || fail "no $shot screenshot"
done
cp "$out_dir/desktop.png" docs/screenshot-html-report.png
echo "rendered: $out_dir/phone.png, $out_dir/desktop.png -> docs/screenshot-html-report.png"
