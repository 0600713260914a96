#!/usr/bin/env bash
# check_uninstall.sh -- gives scripts/uninstall.sh install lists that someone has tampered with,
# one bad line at a time among the lines of a real install, and checks each time that it fails,
# names the line it refuses, and removes nothing at all: neither the game's files nor what the
# bad line points at.
#
#     bash tests/install/check_uninstall.sh
set -euo pipefail

uninstall="$(cd "$(dirname "$0")/../.." && pwd)/scripts/uninstall.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A prefix with an installed game (two files and the folders made for them) and, outside it, a
# folder of someone else's that the bad lines aim at.
prefix="$scratch/prefix"
outside="$scratch/outside"
build="$scratch/build"
make_world() {
    rm -rf "$prefix" "$outside" "$build"
    mkdir -p "$prefix/bin" "$prefix/share/quarzil/data" "$outside/victim" "$build" "$prefix/share/other"
    echo game >"$prefix/bin/quarzil"
    echo font >"$prefix/share/quarzil/data/bigfont.ppm"
    echo theirs >"$outside/victim/file"
    echo theirs >"$prefix/share/other/file"
    mkfifo "$prefix/share/quarzil/data/pipe"
    ln -s "$outside/victim" "$prefix/share/quarzil/link"
    printf '%s\n' "$prefix/share/quarzil/data" "$prefix/share/quarzil" >"$build/install_folders.txt"
}

snapshot() {
    (cd "$scratch" && find prefix outside -printf '%p %y\n' | sort)
}

# Each case: the bad line, and which list it goes into.
cases=(
    "manifest|-r"
    "manifest|$outside/victim/file"
    "manifest|share/quarzil/data/bigfont.ppm"
    "manifest|$prefix/../outside/victim/file"
    "manifest|$prefix/share/quarzil/./data/bigfont.ppm"
    "manifest|$prefix//bin/quarzil"
    "manifest|$prefix/share/other"
    "manifest|$prefix"
    "manifest|$prefix/share/quarzil/data/pipe"
    "manifest|$prefix/share/quarzil/link/file"
    "folders|$outside/victim"
    "folders|$prefix"
    "folders|/"
    "folders|$prefix/share/quarzil/link"
    "folders|$prefix/bin/quarzil"
)
for case in "${cases[@]}"; do
    list=${case%%|*}
    line=${case#*|}
    make_world
    printf '%s\n' "$prefix/bin/quarzil" "$prefix/share/quarzil/data/bigfont.ppm" >"$build/install_manifest.txt"
    if [ "$list" = manifest ]; then
        echo "$line" >>"$build/install_manifest.txt"
    else
        echo "$line" >>"$build/install_folders.txt"
    fi
    before=$(snapshot)
    status=0
    output=$(bash "$uninstall" "$build/install_manifest.txt" "$prefix" 2>&1) || status=$?
    [ "$status" -ne 0 ] || fail "$list line '$line': expected a failure status, got 0"
    grep -qF "Refused: $line:" <<<"$output" ||
        fail "$list line '$line': expected it named as refused, the script said: $output"
    after=$(snapshot)
    [ "$before" = "$after" ] ||
        fail "$list line '$line': expected nothing removed, but before:"$'\n'"$before"$'\n'"after:"$'\n'"$after"
    [ -f "$build/install_manifest.txt" ] || fail "$list line '$line': expected the manifest kept"
done

# And the untampered lists: the game's files and folders go, a folder of another program that
# the install did not make stays although it is empty, and so does one that is not.
make_world
printf '%s\n' "$prefix/bin/quarzil" "$prefix/share/quarzil/data/bigfont.ppm" >"$build/install_manifest.txt"
rm "$prefix/share/quarzil/data/pipe" "$prefix/share/quarzil/link"
mkdir "$prefix/share/empty"
bash "$uninstall" "$build/install_manifest.txt" "$prefix" >/dev/null 2>&1 || fail "expected the untampered uninstall to succeed"
left=$(cd "$prefix" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./bin ./share ./share/empty ./share/other ./share/other/file " ] ||
    fail "expected ./bin ./share ./share/empty ./share/other ./share/other/file left, found: $left"

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "refused ${#cases[@]} tampered lines without removing anything"
