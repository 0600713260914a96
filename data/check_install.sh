#!/usr/bin/env bash
# check_install.sh -- installs a built tree into a scratch prefix, checks that every file lands
# where the desktop and man look for it, uninstalls it as the README says, and checks that
# nothing of the game is left behind.
#
#     bash data/check_install.sh CMAKE BUILD_DIR
#
# The install is of the component "Unspecified", which holds every file the project installs;
# that way CMake writes its list of installed files to install_manifest_Unspecified.txt and the
# install_manifest.txt of the real install, which the README's uninstall reads, stays as it is.
set -euo pipefail

cmake=$1
build=$2
id=io.github.quarzil.Quarzil
prefix=$(mktemp -d)
manifest="$build/install_manifest_Unspecified.txt"
trap 'rm -rf "$prefix"; rm -f "$manifest"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

"$cmake" --install "$build" --prefix "$prefix" --component Unspecified >/dev/null

expected=(
    bin/quarzil
    share/quarzil/data/bigfont.ppm
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/man/man6/quarzil.6
)
for name in row drop bigdrop swap gameover alert illegal; do
    expected+=("share/quarzil/data/$name.raw")
done
for size in 16 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
done
for path in "${expected[@]}"; do
    [ -s "$prefix/$path" ] || fail "expected $path to be installed; it is missing or empty"
done

# The launcher names the icon installed, and the metainfo the launcher: appstreamcli checks the
# installed tree as a software centre reads it (errors, warnings and infos fail; see
# data/CMakeLists.txt for the one pedantic note).
icon=$(sed -n 's/^Icon=//p' "$prefix/share/applications/$id.desktop")
[ "$icon" = "$id" ] || fail "expected Icon=$id in the desktop entry, got Icon=$icon"
tree_report=$(appstreamcli validate-tree --no-net "$prefix" 2>&1) || true
if grep -qE '[EWI]: ' <<<"$tree_report"; then
    fail "expected appstreamcli validate-tree to accept the installed tree, it says: $tree_report"
fi

installed=$(find "$prefix" -type f | wc -l)
listed=$(grep -c . "$manifest" || true)
[ "$installed" -eq "$listed" ] || fail "expected the manifest to list all $installed installed files, it lists $listed"

# The README's uninstall, word for word but for the prefix and the manifest's name.
xargs -d '\n' rm -f <"$manifest"
rmdir "$prefix/share/quarzil/data" "$prefix/share/quarzil"

left=$(find "$prefix" ! -type d)
[ -z "$left" ] || fail "expected no file left after the uninstall, found: $left"
left=$(find "$prefix" -iname '*quarzil*')
[ -z "$left" ] || fail "expected nothing named after the game left after the uninstall, found: $left"

# And its last step: the desktop's folders the install made go once empty. What is left then is
# only what any prefix has: bin, share and share/man, which the README leaves alone.
find "$prefix/share/applications" "$prefix/share/metainfo" "$prefix/share/icons" \
    "$prefix/share/man/man6" -depth -type d -empty -delete
left=$(cd "$prefix" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./bin ./share ./share/man " ] ||
    fail "expected only ./bin ./share ./share/man left after the uninstall, found: $left"

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "installed ${#expected[@]} files and removed them all again"
