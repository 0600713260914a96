#!/usr/bin/env bash
# uninstall.sh -- removes everything that installing Quarzil put in place (the high-score file in
# your home is yours and stays)
set -euo pipefail
source "$(dirname "$0")/common.sh"

manifest="$root/build/release/install_manifest.txt"
if [ ! -f "$manifest" ]; then
    echo "No install manifest at $manifest: nothing was installed from this build." >&2
    exit 1
fi
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$root/build/release/CMakeCache.txt")
as_root xargs -d '\n' rm -f < "$manifest"
as_root rmdir "$prefix/share/quarzil/data" "$prefix/share/quarzil" 2>/dev/null || true
for folder in share/applications share/metainfo share/icons share/man/man6; do
    [ -d "$prefix/$folder" ] && as_root find "$prefix/$folder" -depth -type d -empty -delete
done
echo "Quarzil is uninstalled; your scores stay in ~/.quarzilscores."
