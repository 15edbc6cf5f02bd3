#!/usr/bin/env bash
# Replaces the vendored crawler list (resources/bots/) with the newest crawler-user-agents from
# the npm registry. The build reads only the vendored copy and never needs the network.
set -euo pipefail
cd "$(dirname "$0")/.."
dest=resources/bots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent crawler-user-agents >/dev/null)
tar -xzf "$work"/crawler-user-agents-*.tgz -C "$work"
package="$work/package"
version=$(node -p 'require(process.argv[1]).version' "$package/package.json")
# A list that does not parse, or is empty, leaves the vendored one as it was.
node -e 'const l = require(process.argv[1]); if (!Array.isArray(l) || !l.length || l.some(e => typeof e.pattern !== "string")) process.exit(1)' \
    "$package/crawler-user-agents.json"
for f in crawler-user-agents.json LICENSE; do
    cp "$package/$f" "$dest/.$f.new"
    mv -f "$dest/.$f.new" "$dest/$f"
done
echo "$version" > "$dest/VERSION"
echo "crawler-user-agents $version: $(node -p 'require(process.argv[1]).length' "$PWD/$dest/crawler-user-agents.json") patterns"
