#!/usr/bin/env bash
# clean_system_test.sh -- installs the built package into a fresh, minimal Debian 12 (bookworm)
# system made with mmdebstrap, as `apt install ./quarzil_*.deb` on a new machine would, and runs
# the package's own tests there (debian/tests): the game played in a virtual X server, and the
# SDL 1.2 library it got checked to be sdl12-compat's, with the game shown by a headless Wayland
# compositor. A machine that had sdl12-compat already cannot show what apt picks by itself.
#
#     bash scripts/clean_system_test.sh [SUITE]
#
# SUITE is bookworm unless given. It tests build/package/quarzil_VERSION_ARCH.deb, building it
# first when it is missing (as the play command does). Needs root (or sudo) and the Debian mirror,
# QUARZIL_MIRROR or http://deb.debian.org/debian. Downloaded packages are kept in
# build/clean-SUITE/cache for the next run; the log is build/clean-SUITE/test.log. The system
# lives only while the script runs.
set -euo pipefail
source "$(dirname "$0")/common.sh"

suite=${1:-bookworm}
work="$root/build/clean-$suite"
install_missing mmdebstrap
if [ ! -f "$package_file" ]; then
    install_build_dependencies
    build_package
fi
copy_source
mkdir -p "$work/cache"

# The packages the tests need besides the game: every test's Depends in debian/tests/control.
test_packages=$(awk '/^Depends:/ { on = 1; next } /^[A-Z][A-Za-z-]*:/ { on = 0 } on && /^ / { print }' \
    "$root/debian/tests/control" | tr -d ' ,' | grep -vx quarzil | sort -u | tr '\n' ' ')
tests=$(sed -n 's/^Tests: *//p' "$root/debian/tests/control" | tr ',\n' '  ')

cat >"$work/test.sh" <<END
set -e
export DEBIAN_FRONTEND=noninteractive
echo "== apt-get install ./$(basename "$package_file")"
apt-get install -y -q /tmp/$(basename "$package_file")
echo "== the SDL 1.2 library apt chose"
dpkg-query -W -f '\${db:Status-Abbrev} \${Package} \${Version} (source \${source:Package})\n' 'libsdl*' | grep '^ii'
echo "== what the tests need: $test_packages"
apt-get install -y -q --no-install-recommends $test_packages
cd /build/quarzil
status=0
for test in $tests; do
    echo "== debian/tests/\$test"
    if debian/tests/\$test; then echo "== \$test: PASS"; else echo "== \$test: FAIL"; status=1; fi
done
exit \$status
END

status=0
in_fresh_system "$suite" "$work/cache" "$work/test.log" --variant=apt \
    --customize-hook="cp '$package_file' \"\$1/tmp/\"" \
    --customize-hook="mkdir -p \"\$1/build\" && cp -a '$package_source' \"\$1/build/quarzil\"" \
    --customize-hook="cp '$work/test.sh' \"\$1/tmp/test.sh\"" \
    --customize-hook='chroot "$1" sh /tmp/test.sh' \
    --customize-hook="sync-out /var/cache/apt/archives '$work/cache'" || status=$?
echo "clean_system_test.sh: the package's tests in a clean $suite system ended with status $status" \
    "after $fresh_system_seconds s; the log is $work/test.log"
exit "$status"
