#!/usr/bin/env bash
# play.sh -- builds Quarzil's Debian package, installs it through apt and starts the game. On a
# machine without a display it plays a moment in a virtual X server and saves a screenshot
# instead. Run it again after a change: it builds and installs the package anew.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_build_dependencies
build_package
install_package
echo "Quarzil $version is installed as the Debian package quarzil; sudo apt remove quarzil removes it."

game=/usr/games/quarzil
if [ -x /usr/local/bin/quarzil ]; then
    echo "Note: a Quarzil installed under /usr/local with cmake comes first on the PATH;" \
        "scripts/uninstall.sh in the clone it was built from removes it."
fi

# A working X display, or a Wayland compositor's socket: the game opens its window there.
if x_display_answers; then
    exec "$game"
fi
wayland_socket=${WAYLAND_DISPLAY:-}
[ -n "$wayland_socket" ] && [ "${wayland_socket#/}" = "$wayland_socket" ] &&
    wayland_socket="${XDG_RUNTIME_DIR:-/nonexistent}/$wayland_socket"
if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -S "$wayland_socket" ]; then
    exec "$game"
fi

echo "No display here: playing Quarzil for a moment in a virtual X server (Xvfb) instead."
install_missing xvfb xauth xdotool x11-utils imagemagick libgl1-mesa-dri
screenshot="$root/quarzil-screenshot.png"
bash "$root/scripts/make_screenshot.sh" "$screenshot" "$game"
echo "Quarzil ran and played a moment; screenshot: $screenshot"
