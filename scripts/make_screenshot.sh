#!/usr/bin/env bash
# make_screenshot.sh -- starts the installed game in a virtual X server of its own, starts a
# game, points at a gem and saves an 800 x 600 screenshot of the window.
#
#     bash scripts/make_screenshot.sh docs/screenshot.png [GAME]
#
# GAME is the game's binary, /usr/games/quarzil (the Debian package's) when not given. Needs
# Xvfb, xdotool, xdpyinfo and ImageMagick's import and identify. The game runs with a home
# directory of its own, so no high-score file of yours is read or written, and with SDL's dummy
# audio driver.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 OUT.png [GAME]" >&2
    exit 2
fi
out=$1
game=${2:-/usr/games/quarzil}
if [ ! -x "$game" ]; then
    echo "$0: $game is not an installed game binary" >&2
    exit 1
fi

work=$(mktemp -d)
xvfb=""
player=""
cleanup() {
    [ -n "$player" ] && kill "$player" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number that no other X server holds.
display=120
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$display"
for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
if ! xdpyinfo >/dev/null 2>&1; then
    echo "$0: the virtual X server did not start" >&2
    exit 1
fi

mkdir -p "$work/home"
HOME="$work/home" SDL_AUDIODRIVER=dummy "$game" >"$work/game.log" 2>&1 &
player=$!

window=""
for _ in $(seq 100); do
    window=$(xdotool search --name '^Quarzil$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "$0: the game's window did not appear" >&2
    cat "$work/game.log" >&2
    exit 1
fi

sleep 1
xdotool key --window "$window" space            # start a game
xdotool mousemove --window "$window" 600 330    # the hovered gem is lit from the front
sleep 2                                         # the clock has drained a little

# -strip leaves out the chunks that change from run to run (times, dates).
import -window "$window" -strip "$work/shot.png"
size=$(identify -format '%wx%h' "$work/shot.png")
if [ "$size" != "800x600" ]; then
    echo "$0: expected an 800x600 window, got $size" >&2
    exit 1
fi
cp "$work/shot.png" "$out"

xdotool key --window "$window" Escape
for _ in $(seq 50); do
    kill -0 "$player" 2>/dev/null || break
    sleep 0.1
done
echo "screenshot: $out"
