#!/usr/bin/env bash
# check_display_probe.sh -- checks how the play command tells whether there is an X display to
# play on (x_display_answers in scripts/common.sh), on a machine without X's utilities: a live
# virtual X server must be found, and no display and displays that nobody serves must not. An
# xdpyinfo that always fails comes first on the PATH, as if x11-utils were missing.
#
#     bash tests/install/check_display_probe.sh
set -euo pipefail
source "$(cd "$(dirname "$0")/../.." && pwd)/scripts/common.sh"

scratch=$(mktemp -d)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
printf '#!/bin/sh\necho "xdpyinfo: not installed" >&2\nexit 127\n' >"$scratch/bin/xdpyinfo"
chmod +x "$scratch/bin/xdpyinfo"
export PATH="$scratch/bin:$PATH"

# Two free display numbers: one for the server, one that no server holds.
display=140
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
unserved=$((display + 1))
while [ -e "/tmp/.X11-unix/X$unserved" ] || [ -e "/tmp/.X$unserved-lock" ]; do
    unserved=$((unserved + 1))
done
Xvfb ":$display" -screen 0 640x480x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -S "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done

failures=0
# Each case: what DISPLAY is ("unset" for none), and whether the probe must find a display.
cases=(":$display|yes" "unset|no" ":$unserved|no" "localhost:$unserved|no")
for case in "${cases[@]}"; do
    value=${case%%|*}
    expected=${case#*|}
    got=no
    if [ "$value" = unset ]; then
        (unset DISPLAY; x_display_answers) && got=yes
    else
        DISPLAY=$value x_display_answers && got=yes
    fi
    if [ "$got" != "$expected" ]; then
        echo "FAIL: DISPLAY=$value: expected a display found: $expected, got: $got" >&2
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] || exit 1
echo "the display probe found the live X server and none of the $((${#cases[@]} - 1)) others, without xdpyinfo"
