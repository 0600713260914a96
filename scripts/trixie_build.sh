#!/usr/bin/env bash
# trixie_build.sh -- builds the Debian package in a fresh Debian 13 (trixie) system, as a builder
# there would: makes the system with mmdebstrap, installs the package's build dependencies with
# apt-get build-dep, runs dpkg-buildpackage (source and binary; the build runs the unit tests) and
# checks the source and the .deb with that system's lintian.
#
#     bash scripts/trixie_build.sh [SUITE]
#
# SUITE is trixie unless given (bookworm builds in a clean Debian 12 system the same way). Needs
# root (or sudo) and the Debian mirror, QUARZIL_MIRROR or http://deb.debian.org/debian. The
# packages it downloads are kept in build/SUITE/cache for the next run; what it builds, and its
# log, land in build/SUITE/out. The system itself lives only while the script runs.
set -euo pipefail
source "$(dirname "$0")/common.sh"   # root, version, install_missing, copy_source, as_root

suite=${1:-trixie}
work="$root/build/$suite"
install_missing mmdebstrap

# The source as the package build takes it: what git knows of the clone.
package_source="$work/quarzil-$version"
copy_source
rm -rf "$work/out"
mkdir -p "$work/cache" "$work/out"

# What runs in the new system, once its build dependencies are installed.
cat >"$work/build.sh" <<'END'
set -e
cd /build/quarzil
echo "== the build tools of $(. /etc/os-release && echo "$PRETTY_NAME")"
dpkg-query -W -f '${Package} ${Version}\n' gcc g++ cmake googletest appstream lintian \
    libsdl1.2-compat-dev man-db debhelper 2>/dev/null || true
echo "== where the SDL 1.2 library comes from"
apt-cache policy libsdl1.2-compat-shim libsdl1.2debian libsdl1.2-compat | grep -v '^ *[0-9]* http'
echo "== dpkg-buildpackage"
DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -us -uc
cd /build
echo "== the package's dependencies"
dpkg-deb -f quarzil_*.deb Depends
echo "== $(lintian --version) on the source and the .deb"
lintian --fail-on error,warning --display-level '>=info' quarzil_*.dsc quarzil_*.deb
echo "== lintian: no errors and no warnings"
END

# Each hook runs on the host with the new system's root as $1; "chroot $1" runs in it, with
# /proc, /sys and /dev mounted there by mmdebstrap.
status=0
in_fresh_system "$suite" "$work/cache" "$work/out/build.log" --variant=buildd --include=lintian \
    --customize-hook="mkdir -p \"\$1/build\" && cp -a '$package_source' \"\$1/build/quarzil\"" \
    --customize-hook="cp '$work/build.sh' \"\$1/build/build.sh\"" \
    --customize-hook='chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -q /build/quarzil' \
    --customize-hook="sync-out /var/cache/apt/archives '$work/cache'" \
    --customize-hook='chroot "$1" sh /build/build.sh' \
    --customize-hook="cp \"\$1\"/build/quarzil_* '$work/out/'" || status=$?
echo "trixie_build.sh: the $suite build ended with status $status after $fresh_system_seconds s;" \
    "its log and packages are in $work/out"
exit "$status"
