#!/usr/bin/env bash
# build.sh -- builds the game as a web page: the data with a desktop build of the same source, then
# the page with Debian's Emscripten. Usage: web/build.sh [BUILD_FOLDER] (default build/web). The
# page is BUILD_FOLDER/emscripten/site: plain static files that any web server can host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/web}")
jobs=${QUARZIL_JOBS:-2}

# Emscripten's tools run on the machine's node; Debian's own node modules (its acorn among them)
# are found only through NODE_PATH where that node is not Debian's.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# The font image and the sounds are made by the desktop build's own tools.
cmake -S "$root" -B "$out/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/host" -j"$jobs" --target font_image sound_effects >/dev/null

# Emscripten brings SDL 1.2 and OpenGL in its own script library: there is no library file for
# the desktop's find_package to find, and the page links none.
emcmake cmake -S "$root" -B "$out/emscripten" -DCMAKE_BUILD_TYPE=Release \
    -DQUARZIL_WEB_DATA="$out/host/data" -DSDL_LIBRARY=SDL -DCMAKE_INSTALL_PREFIX=/usr/local >/dev/null
cmake --build "$out/emscripten" -j"$jobs"
echo "The page: $out/emscripten/site"
