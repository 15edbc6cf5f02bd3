#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need; quick when all are there.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev zlib1g-dev
          qt6-translations-l10n fonts-noto-cjk xvfb xauth
          # the user-agent data set and the YAML reader that turns it into tables at build time
          uap-core libyaml-cpp-dev
          # what the install test checks the installed files with
          desktop-file-utils appstream shared-mime-info groff-base)
# Extra groups: "fuzz" for the fuzzers and sanitizer builds, "bench" for bench/run.sh and the
# programs it compares with, "report" for the browser that renders the HTML report.
for extra in "$@"; do
    case "$extra" in
        fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
        bench) packages+=(time bc goaccess lnav) ;;
        report) packages+=(chromium) ;;
        *) echo "unknown package group: $extra" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
