#!/usr/bin/env bash
# Configures and builds into build/ (or $TW_BUILD_DIR) with the given build type.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TW_BUILD_DIR:-build}"
build_type="${TW_BUILD_TYPE:-RelWithDebInfo}"
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@" >/dev/null
fi
cmake --build "$build_dir" -j "$(nproc)"
