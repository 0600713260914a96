# common.sh -- shared by the scripts: the project root, root rights, and the Debian package:
# its build dependencies, its build and its install
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Installs those of the given Debian packages that are missing.
install_missing() {
    local missing=() package
    for package in "$@"; do
        installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The package is built from a copy of the source in build/package/quarzil-VERSION, so that the
# build leaves the clone as it was; the .deb lands in build/package.
version=$(sed -n '1s/^quarzil (\([^)]*\)).*/\1/p' "$root/debian/changelog")
package_dir="$root/build/package"
package_source="$package_dir/quarzil-$version"
package_file="$package_dir/quarzil_${version}_$(dpkg --print-architecture).deb"
symbols_file="$package_dir/quarzil-dbgsym_${version}_$(dpkg --print-architecture).deb"

# Copies what git knows of the clone (its files, committed or not, and new files it does not
# ignore), or, outside git, everything but build/.
copy_source() {
    rm -rf "$package_source"
    mkdir -p "$package_source"
    if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        (cd "$root" && git ls-files -z --cached --others --exclude-standard |
            while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
            tar --null -T - -cf -) | tar -C "$package_source" -xf -
    else
        tar -C "$root" --exclude=./build -cf - . | tar -C "$package_source" -xf -
    fi
}

# Installs what building the package needs, as its debian/control lists it, through apt
# (apt adds build-essential).
install_build_dependencies() {
    copy_source
    if command -v dpkg-checkbuilddeps >/dev/null && (cd "$package_source" && dpkg-checkbuilddeps 2>/dev/null); then
        return 0
    fi
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -qq "$package_source"
}

# Builds build/package/quarzil_VERSION_ARCH.deb from a fresh copy of the source; its build runs
# the unit tests.
build_package() {
    copy_source
    rm -f "$package_dir"/quarzil_* "$package_dir"/quarzil-dbgsym_*
    (cd "$package_source" && DEB_BUILD_OPTIONS="parallel=$jobs ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc -b)
}

# Builds the source package, build/package/quarzil_VERSION.dsc and its tarball, from a fresh copy
# of the source, as a Debian upload would carry it.
source_package_file="$package_dir/quarzil_${version}.dsc"
build_source_package() {
    copy_source
    rm -f "$package_dir"/quarzil_*.dsc "$package_dir"/quarzil_*.tar.*
    (cd "$package_dir" && dpkg-source --build "quarzil-$version")
}

# Installs the package built (and any other .deb given), through apt, so that apt knows every
# file of it; a package of the same version as the one installed replaces it.
install_package() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$package_file" "$@"
}

# Whether an X server answers on the display DISPLAY names: asked by a small program built with
# the C compiler against Xlib, both of which the game's build dependencies bring (build-essential,
# and libx11-dev through libgl-dev), so no X tool need be installed. The answer is 0 when the
# server accepts a connection, and 1 when DISPLAY is unset, names no server, or refuses it.
x_display_answers() {
    [ -n "${DISPLAY:-}" ] || return 1
    local probe status=0
    probe=$(mktemp)
    if ! printf '%s\n' '#include <X11/Xlib.h>' \
            'int main(void) { Display* display = XOpenDisplay(0); if (!display) return 1;' \
            '                 XCloseDisplay(display); return 0; }' |
            cc -x c -o "$probe" - -lX11; then
        rm -f "$probe"
        echo "x_display_answers: cannot build the probe (cc and libx11-dev are build dependencies)" >&2
        return 1
    fi
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    return "$status"
}

# Makes a fresh Debian system of the given suite with mmdebstrap, lets the given mmdebstrap
# options work in it (--variant, --include, the hooks), and throws it away. The packages it
# downloads are kept in the folder cache for the next run (a hook "sync-out" of the callers puts
# them there); what it prints goes to the file log as well. Sets fresh_system_seconds to how long
# it took; returns mmdebstrap's status. The mirror is QUARZIL_MIRROR, or Debian's.
in_fresh_system() {
    local suite=$1 cache=$2 log=$3 started status
    shift 3
    mkdir -p "$cache"
    started=$(date +%s)
    set +e
    as_root mmdebstrap --skip=essential/unlink --skip=download/empty \
        --setup-hook='mkdir -p "$1/var/cache/apt/archives"' \
        --setup-hook="sync-in '$cache' /var/cache/apt/archives/" \
        "$@" "$suite" /dev/null "${QUARZIL_MIRROR:-http://deb.debian.org/debian}" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    set -e
    fresh_system_seconds=$(($(date +%s) - started))
    return "$status"
}
