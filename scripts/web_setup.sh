#!/usr/bin/env bash
# web_setup.sh -- installs, once, the Debian packages that building and testing the web page need:
# the Emscripten compiler and Chromium to play the page in, and npm where no npm is on the machine
set -euo pipefail
source "$(dirname "$0")/common.sh"   # install_missing

packages=(emscripten chromium)
# A machine whose Node.js comes with its own npm keeps it: Debian's npm would replace that Node.js.
command -v npm >/dev/null || packages+=(npm)
install_missing "${packages[@]}"
