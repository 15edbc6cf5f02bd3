#!/usr/bin/env bash
# Dependencies between the source folders run one way: core <- analysis, settings <- mainwindow
# <- the windows. Prints every include that runs the other way and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder pattern (files outside ui/ folders) | includes it must not have
rules=(
    'src/core/|(analysis|settings|mainwindow|ui|app|cli)/'
    'src/analysis/|(mainwindow|ui|app|cli)/'
    'src/settings/|(analysis|mainwindow|ui|app|cli)/'
    'src/mainwindow/|(ui|app|cli)/'
    'src/cli/|(ui|app)/'
    'src/cli/|[a-z]+/ui/'
    'src/core/|[a-z]+/ui/'
    'src/analysis/|[a-z]+/ui/'
    'src/settings/|[a-z]+/ui/'
    'src/mainwindow/|[a-z]+/ui/'
)
found=0
for rule in "${rules[@]}"; do
    folder=${rule%%|*}
    forbidden=${rule#*|}
    while IFS= read -r hit; do
        echo "$hit"
        found=1
    done < <(git ls-files -- "$folder" | grep -E '\.(h|cpp)$' | grep -v '/ui/' \
        | xargs -r grep -nE "#include \"$forbidden" || true)
done
if [ "$found" -ne 0 ]; then
    echo "check-layering: the includes above run against core <- analysis, settings <- mainwindow <- ui" >&2
    exit 1
fi
echo "check-layering: every include runs one way"
