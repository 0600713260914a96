#!/usr/bin/env bash
# check_install.sh -- installs a built tree into a scratch prefix, checks that every file lands
# where the desktop and man look for it, uninstalls it with scripts/uninstall.sh, and checks
# that nothing of the game is left behind and that every folder the install did not make stays.
#
#     bash tests/install/check_install.sh CMAKE BUILD_DIR BINDIR GAME_DATADIR DATADIR MANDIR DOCDIR FULL_GAME_DATADIR
#
# BINDIR to DOCDIR are the build's install folders relative to the prefix (GAME_DATADIR is the
# folder of the font and sounds); FULL_GAME_DATADIR is the absolute folder the game reads.
#
# The install is of the component "Unspecified", which holds every file the project installs;
# that way CMake writes its list of installed files to install_manifest_Unspecified.txt (and the
# install to install_folders_Unspecified.txt) and the lists of the real install stay as they are.
set -euo pipefail

cmake=$1
build=$2
bindir=$3
gamedir=$4
datadir=$5
mandir=$6
docdir=$7
full_gamedir=$8
id=io.github.quarzil.Quarzil
here=$(cd "$(dirname "$0")" && pwd)
uninstall="$here/../../scripts/uninstall.sh"
prefix=$(mktemp -d)
manifest="$build/install_manifest_Unspecified.txt"
record="$build/install_folders_Unspecified.txt"
trap 'rm -rf "$prefix"; rm -f "$manifest" "$record"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Folders of other programs, there before the install: an empty one where the install puts
# files, and an empty one beside them.
mkdir -p "$prefix/$datadir/applications" "$prefix/$datadir/fonts"

# Twice: the second install, over the first, finds every folder there and must still keep the
# record of those the first one made.
for _ in 1 2; do
    "$cmake" --install "$build" --prefix "$prefix" --component Unspecified >/dev/null
done

expected=(
    "$bindir/quarzil"
    "$gamedir/bigfont.ppm"
    "$datadir/applications/$id.desktop"
    "$datadir/metainfo/$id.metainfo.xml"
    "$mandir/man6/quarzil.6"
    "$docdir/LICENSE"
    "$docdir/NOTICE"
    "$docdir/README.md"
)
for name in row drop bigdrop swap gameover alert illegal; do
    expected+=("$gamedir/$name.raw")
done
for size in 16 24 32 48 64 128 256; do
    expected+=("$datadir/icons/hicolor/${size}x$size/apps/$id.png")
done
for path in "${expected[@]}"; do
    [ -s "$prefix/$path" ] || fail "expected $path to be installed; it is missing or empty"
done

# The launcher names the icon installed, and the metainfo the launcher: appstreamcli checks the
# installed tree as a software centre reads it (appstream_validate.sh names the issues it lets
# pass).
icon=$(sed -n 's/^Icon=//p' "$prefix/$datadir/applications/$id.desktop")
[ "$icon" = "$id" ] || fail "expected Icon=$id in the desktop entry, got Icon=$icon"
bash "$here/appstream_validate.sh" validate-tree "$prefix" >/dev/null ||
    fail "expected appstreamcli validate-tree to accept the installed tree"

# The manual page tells where the game reads its data.
grep -qxF ".I $full_gamedir" "$prefix/$mandir/man6/quarzil.6" ||
    fail "expected the manual page to name the data folder $full_gamedir"

installed=$(find "$prefix" -type f | wc -l)
listed=$(grep -c . "$manifest" || true)
[ "$installed" -eq "$listed" ] || fail "expected the manifest to list all $installed installed files, it lists $listed"

# The record names every folder the install made: all that exist now but the two there before
# and the folder they lie in.
made=$(find "$prefix" -mindepth 1 -type d | sort)
made=$(grep -vxF -e "$prefix/$datadir" -e "$prefix/$datadir/applications" -e "$prefix/$datadir/fonts" <<<"$made" || true)
recorded=$(sort "$record")
[ "$made" = "$recorded" ] ||
    fail "expected the record of made folders to list:"$'\n'"$made"$'\n'"it lists:"$'\n'"$recorded"

bash "$uninstall" "$manifest" "$prefix" >/dev/null || fail "expected the uninstall to succeed"

left=$(cd "$prefix" && find . -mindepth 1 | sort | tr '\n' ' ')
expected_left="./$datadir ./$datadir/applications ./$datadir/fonts "
[ "$left" = "$expected_left" ] ||
    fail "expected only the folders there before the install left after the uninstall ($expected_left), found: $left"
[ ! -e "$manifest" ] && [ ! -e "$record" ] ||
    fail "expected the uninstall to remove the install's lists, they are still there"

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "installed ${#expected[@]} files and removed them all again"
