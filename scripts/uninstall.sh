#!/usr/bin/env bash
# uninstall.sh -- removes a Quarzil installed with cmake --install: every file that the install
# listed, and the folders that it made, once they are empty. The high-score file in your home is
# yours and stays. (Quarzil installed as a Debian package goes with: sudo apt remove quarzil.)
#
#     bash scripts/uninstall.sh [MANIFEST [PREFIX]]
#
# MANIFEST is CMake's list of installed files: when not given, build/local/install_manifest.txt,
# or build/release's, which earlier play commands installed from. The folders the install made
# are in the record beside it (install_folders.txt for install_manifest.txt). PREFIX is the prefix installed to, CMAKE_INSTALL_PREFIX of the build
# beside the manifest when not given.
#
# Both lists lie in a build folder that anyone who builds may write, while the removal may run
# as root: so every line is checked before anything is removed. A file must be named by its
# absolute path, below the prefix, in a folder that really lies below the prefix (not reached
# through a symbolic link), and be a regular file or a symbolic link (one that is gone already
# is passed over); a folder likewise, and it goes only when empty. Any other line is refused:
# then nothing at all is removed and the script fails.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ $# -ge 1 ]; then
    manifest=$1
elif [ ! -f "$root/build/local/install_manifest.txt" ] && [ -f "$root/build/release/install_manifest.txt" ]; then
    manifest=$root/build/release/install_manifest.txt   # where earlier play commands installed from
else
    manifest=$root/build/local/install_manifest.txt
fi
build=$(dirname -- "$manifest")
record="$build/$(basename -- "$manifest" | sed 's/^install_manifest/install_folders/')"

if [ ! -f "$manifest" ]; then
    echo "No install manifest at $manifest: nothing was installed from this build." >&2
    if dpkg-query -W -f='${Status}' quarzil 2>/dev/null | grep -q 'install ok installed'; then
        echo "Quarzil is installed as a Debian package here; remove it with: sudo apt remove quarzil" >&2
    fi
    exit 1
fi

if [ $# -ge 2 ]; then
    prefix=$2
else
    prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
fi
prefix=${prefix%/}
if [[ "$prefix" != /* ]] || [ ! -d "$prefix" ]; then
    echo "The install prefix '$prefix' is not an absolute path of an existing folder." >&2
    exit 1
fi
real_prefix=$(realpath -e -- "$prefix")
if [ "$real_prefix" = / ]; then
    echo "Refusing to uninstall from the root folder as prefix." >&2
    exit 1
fi

refused=0
refuse() {
    echo "Refused: $1: $2" >&2
    refused=$((refused + 1))
}

# A name of something that lies below the prefix by its words: absolute, no "." or ".." part,
# no empty part, and no trailing slash.
below_prefix_by_name() {
    [[ "$1" == "$prefix"/* ]] || return 1
    [[ "$1/" != *//* && "$1/" != */./* && "$1/" != */../* ]]
}

# Something whose folder is, once every symbolic link is resolved, the prefix or below it.
folder_below_prefix() {
    local folder
    folder=$(realpath -e -- "$(dirname -- "$1")" 2>/dev/null) || return 1
    [ "$folder" = "$real_prefix" ] || [[ "$folder" == "$real_prefix"/* ]]
}

files=()
while IFS= read -r line || [ -n "$line" ]; do
    [ -z "$line" ] && continue
    if ! below_prefix_by_name "$line"; then
        refuse "$line" "not an absolute path below the prefix $prefix"
    elif [ ! -e "$line" ] && [ ! -L "$line" ]; then
        continue   # gone already
    elif [ ! -L "$line" ] && [ ! -f "$line" ]; then
        refuse "$line" "not a regular file or a symbolic link"
    elif ! folder_below_prefix "$line"; then
        refuse "$line" "its folder lies outside the prefix $prefix"
    else
        files+=("$line")
    fi
done <"$manifest"

folders=()
if [ -f "$record" ]; then
    while IFS= read -r line || [ -n "$line" ]; do
        [ -z "$line" ] && continue
        if ! below_prefix_by_name "$line"; then
            refuse "$line" "not a folder below the prefix $prefix"
        elif [ ! -e "$line" ] && [ ! -L "$line" ]; then
            continue
        elif [ -L "$line" ] || [ ! -d "$line" ]; then
            refuse "$line" "not a folder"
        elif ! folder_below_prefix "$line"; then
            refuse "$line" "it lies outside the prefix $prefix"
        else
            folders+=("$line")
        fi
    done <"$record"
else
    echo "No record of the folders the install made ($record): every folder stays." >&2
fi

if [ "$refused" -gt 0 ]; then
    echo "The install's lists hold $refused line(s) that are not what an install of Quarzil writes;" \
        "nothing was removed." >&2
    exit 1
fi

# Root only where the user may not write.
run() {
    if [ -w "$prefix" ]; then "$@"; else as_root "$@"; fi
}

if [ ${#files[@]} -gt 0 ]; then
    printf '%s\0' "${files[@]}" | run xargs -0 rm -f --
fi
# Deepest first: a folder's name is longer than the name of every folder it lies in.
if [ ${#folders[@]} -gt 0 ]; then
    while IFS= read -r folder; do
        if [ -z "$(find "$folder" -mindepth 1 -maxdepth 1 -print -quit)" ]; then
            run rmdir -- "$folder"
        else
            echo "Kept $folder: it holds files that are not Quarzil's." >&2
        fi
    done < <(for folder in "${folders[@]}"; do printf '%d\t%s\n' "${#folder}" "$folder"; done | sort -rn | cut -f 2-)
fi
rm -f -- "$manifest" "$record"
echo "Quarzil is uninstalled from $prefix; your scores stay in ~/.quarzilscores."
