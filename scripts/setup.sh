#!/usr/bin/env bash
# setup.sh -- installs, once, every Debian package that building, playing and testing Quarzil need
set -euo pipefail
source "$(dirname "$0")/common.sh"   # installed, install_missing

packages=(
    build-essential cmake pkg-config            # compiler and build
    libgl-dev libgl1-mesa-dri                   # OpenGL headers, Mesa's software renderer
    libfreetype-dev fonts-dejavu-core           # the font image is made from DejaVu Sans Bold
    googletest libgtest-dev libbenchmark-dev    # unit tests and benchmarks
    xvfb xauth xdotool x11-utils imagemagick tesseract-ocr   # playing and testing in a virtual X server
    openbox                                     # a window manager there, to minimise and fill the screen
    python3 python3-pil                         # the end-to-end tests
    libpng-dev                                  # the icons are rendered at build time
    desktop-file-utils appstream man-db groff-base   # validating the launcher, metainfo and manual page
    clang libclang-rt-14-dev                    # libFuzzer, for fuzzing the file readers
    valgrind                                    # the unit tests under memcheck
    sway grim wtype libegl1                     # playing and testing on Wayland: a headless compositor,
                                                # its screenshots, typed keys, OpenGL through EGL
    libwayland-dev                              # the tests' virtual pointer (wayland-client, wayland-scanner)
    strace                                      # killing the game in the middle of a save
    faketime                                    # the manual page checked as reproducibility checks run them
    dpkg-dev debhelper lintian autopkgtest      # building, checking and testing the Debian package
)

# SDL 1.2: the maintained compatibility layer over SDL2 where Debian has it, else the classic library.
if installed libsdl1.2-dev; then
    packages+=(libsdl1.2-dev)
else
    packages+=(libsdl1.2-compat-dev)
fi

if ! install_missing "${packages[@]}"; then
    # An older Debian without the compatibility layer: fall back to the classic SDL 1.2.
    install_missing "${packages[@]/libsdl1.2-compat-dev/libsdl1.2-dev}"
fi
