#!/usr/bin/env bash
# play.sh -- sets everything up, builds and installs Quarzil, and starts it. On a machine
# without a display it plays a moment in a virtual X server and saves a screenshot instead.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$root/scripts/setup.sh"
build_and_install

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec /usr/local/bin/quarzil
fi

echo "No display here: starting Quarzil in a virtual X server (Xvfb) instead."
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# No sound card either: SDL's dummy driver stands in for one.
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} /usr/local/bin/quarzil &
game=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name '^Quarzil$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "The game's window did not appear." >&2
    exit 1
fi

sleep 1
xdotool key --window "$window" space   # start a game
sleep 2
screenshot="$root/quarzil-screenshot.png"
import -window "$window" "$screenshot"
xdotool key --window "$window" Escape
wait "$game" || true
echo "Quarzil ran and played a moment; screenshot: $screenshot"
