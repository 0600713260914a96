#!/usr/bin/env bash
# classic_sdl_test.sh -- builds the game from source against the classic SDL 1.2 (Debian 12's
# libsdl1.2-dev, 1.2.15) instead of sdl12-compat, installs it under a scratch prefix and plays it
# on X11 in a virtual X server, as tests/install/installed_game.py plays the packaged game: the
# classic library must go on building and running the game, on X11.
#
#     bash scripts/classic_sdl_test.sh
#
# The classic library's packages (and those of its dependencies that this machine lacks) are
# downloaded with apt-get download and unpacked into build/classic-sdl/root, not installed: they
# would replace sdl12-compat, which the package needs. The game finds them by LD_LIBRARY_PATH.
set -euo pipefail
source "$(dirname "$0")/common.sh"   # root, jobs, installed

work="$root/build/classic-sdl"
unpacked="$work/root"
library_dir="$unpacked/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
rm -rf "$work"
mkdir -p "$work/debs" "$unpacked"

# The classic library and its headers, and two levels of its dependencies that are missing here.
wanted=(libsdl1.2debian libsdl1.2-dev)
for _ in 1 2; do
    for package in $(apt-cache depends --no-recommends --no-suggests libsdl1.2debian "${wanted[@]:2}" |
                     awk '$1 == "Depends:" && $2 !~ /^</ { print $2 }' | sort -u); do
        installed "$package" || [[ " ${wanted[*]} " == *" $package "* ]] || wanted+=("$package")
    done
done
(cd "$work/debs" && apt-get download "${wanted[@]}" >/dev/null)
for deb in "$work"/debs/*.deb; do
    dpkg-deb -x "$deb" "$unpacked"
done
echo "unpacked the classic SDL 1.2 and what it needs: ${wanted[*]}"

# The README's install for one user, with the classic library named to CMake's FindSDL.
prefix="$work/prefix"
cmake -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DSDL_INCLUDE_DIR="$unpacked/usr/include/SDL" -DSDL_LIBRARY="$library_dir/libSDL.so" >/dev/null
cmake --build "$work/build" -j "$jobs" >/dev/null
cmake --install "$work/build" >/dev/null

export LD_LIBRARY_PATH="$library_dir"
loaded=$(ldd "$prefix/bin/quarzil" | awk '$1 == "libSDL-1.2.so.0" { print $3 }')
if [ "$(realpath "$loaded")" != "$(realpath "$library_dir/libSDL-1.2.so.0")" ]; then
    echo "expected the game to load the classic $library_dir/libSDL-1.2.so.0, it loads $loaded" >&2
    exit 1
fi
echo "the game built against the classic SDL 1.2 loads $(realpath "$loaded")"
/usr/bin/python3 "$root/tests/install/installed_game.py" "$prefix/bin/quarzil"
