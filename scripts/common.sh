# common.sh -- shared by the scripts: the project root, root rights, building and installing
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Configures and builds the normal build in build/release, then installs it under /usr/local,
# where the game finds its data.
build_and_install() {
    cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$root/build/release" -j "$jobs"
    as_root cmake --install "$root/build/release"
}
