#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that a desktop can use what lands there: every
# file in place, the desktop entry, software-centre data, MIME package and manual page valid, the
# caches of the prefix refreshed, and the installed command-line tool runs.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
id=org.example.tallyweaver
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in desktop-file-validate appstreamcli update-mime-database update-desktop-database groff; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share

files=(bin/tallyweaver bin/tallyweaver-cli share/applications/$id.desktop
       share/mime/packages/$id.xml share/metainfo/$id.metainfo.xml share/tallyweaver/help.html
       share/man/man1/tallyweaver-cli.1 share/icons/hicolor/scalable/apps/$id.svg)
for f in "${files[@]}"; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
for f in bin/tallyweaver bin/tallyweaver-cli; do
    [ -x "$prefix/$f" ] || fail "$f is not executable"
done

# PNG width and height are the big-endian words at bytes 16 and 20.
for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    if [ ! -s "$png" ]; then
        fail "the ${size} px icon is not installed"
        continue
    fi
    read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
    width=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
    height=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
    [ "$width $height" = "$size $size" ] || fail "the ${size} px icon is ${width}x${height}"
done

if ! out=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1) || [ -n "$out" ]; then
    fail "desktop entry: $out"
fi
grep -qx 'Exec=tallyweaver %f' "$share/applications/$id.desktop" \
    || fail "the desktop entry does not start the installed program"

# The metainfo alone, then with the desktop entry and icons it names in the prefix.
for check in "validate --no-net --pedantic $share/metainfo/$id.metainfo.xml" \
             "validate-tree --no-net --pedantic $prefix"; do
    # shellcheck disable=SC2086 # the check is split into its words on purpose
    out=$(appstreamcli $check 2>&1) || fail "appstreamcli $check: $out"
done

# The install refreshed the prefix's MIME database and desktop cache from our files.
grep -qx '50:application/x-tallyweaver-list:\*\.twv' "$share/mime/globs2" 2>/dev/null \
    || fail "the MIME database of the prefix does not know *.twv"
grep -qx "application/x-tallyweaver-list=$id.desktop;" "$share/applications/mimeinfo.cache" 2>/dev/null \
    || fail "the desktop cache of the prefix does not name $id.desktop for list files"

# The manual page renders without warnings and lists the commands and options of the usage text.
man=$share/man/man1/tallyweaver-cli.1
if ! out=$(groff -man -Tutf8 -K utf8 -ww -z "$man" 2>&1) || [ -n "$out" ]; then
    fail "manual page: $out"
fi
usage=$("$prefix/bin/tallyweaver-cli" --help) || fail "the installed tallyweaver-cli --help failed"
# A command may have several synopsis lines (stats: the reports and the visitor statistics).
usage_commands=$(sed -n 's/^  tallyweaver-cli \([a-z0-9]\+\) .*/\1/p' <<<"$usage" | sort -u)
synopsis_commands=$(sed -n 's/^\.B tallyweaver\\-cli \([a-z0-9]\+\)$/\1/p' "$man" | sort -u)
described_commands=$(sed -n '/^\.SH COMMANDS/,/^\.SH OPTIONS/p' "$man" \
    | sed -n '/^\.TP/{n;s/^\.B \([a-z0-9]\+\)$/\1/p}' | sort)
[ "$synopsis_commands" = "$usage_commands" ] \
    || fail "manual synopsis commands [$synopsis_commands] differ from the usage text [$usage_commands]"
[ "$described_commands" = "$usage_commands" ] \
    || fail "manual COMMANDS [$described_commands] differ from the usage text [$usage_commands]"
usage_options=$(grep -o -- '--[a-z][a-z0-9-]*' <<<"$usage" | sort -u)
man_options=$(sed 's/\\-/-/g' "$man" | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
[ "$man_options" = "$usage_options" ] \
    || fail "manual options differ from the usage text: $(diff <(echo "$usage_options") <(echo "$man_options") | grep '^[<>]' | tr '\n' ' ')"

version=$("$prefix/bin/tallyweaver-cli" --version) || fail "the installed tallyweaver-cli --version failed"
[[ "$version" == "tallyweaver-cli "* ]] || fail "unexpected version text: $version"

if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
fi
echo "installed into a fresh prefix: files, validators, caches and manual page are fine"
