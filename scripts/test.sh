#!/usr/bin/env bash
# test.sh -- sets everything up and runs every test. It builds the Debian package as the play
# command does (the package build runs the unit tests), checks it and the source package with
# lintian, installs it and runs its own tests (autopkgtest), on this machine and in a fresh
# Debian 12 system; then builds the project once more with the package's layout, for the unit
# tests, the end-to-end tests, which play the packaged game, and the unit tests under Valgrind;
# builds and plays the game against the classic SDL 1.2; then runs the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the sound ring under ThreadSanitizer, and the
# file readers under libFuzzer; then builds the package in a fresh Debian 13 system; and last
# checks that every test has a short name that stays the same from build to build
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$root/scripts/setup.sh"

install_build_dependencies
build_package
ls -l "$package_file"
# Errors and warnings fail; an override must carry its reason beside it in debian/.
lintian --fail-on error,warning --display-level ">=warning" "$package_file" "$symbols_file"
echo "lintian: no errors and no warnings on $(basename "$package_file")"
# The source package as an upload carries it: not even an informational tag may remain.
build_source_package
lintian --fail-on error,warning,info --display-level ">=info" "$source_package_file"
echo "lintian: no errors, warnings or infos on $(basename "$source_package_file")"
# With the game's symbols (the package's debug symbols), by which the hostile and soak tests
# read the stripped game's memory.
install_package "$symbols_file"
# The package's own tests, run on this machine by autopkgtest's null runner, from a clean copy of
# the source.
copy_source
autopkgtest --no-built-binaries "$package_source" -- null
# The same tests in a fresh, minimal Debian 12 into which apt installs the package with what it
# picks for its dependencies by itself (a minute or two).
bash "$root/scripts/clean_system_test.sh"

# The same layout as the package's, so that the end-to-end tests play the packaged game.
# The tests, the end-to-end tests and the benchmarks are built only when asked for.
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_BINDIR=games -DQUARZIL_DATADIR=share/games/quarzil \
    -DQUARZIL_TESTS=ON -DQUARZIL_E2E_TESTS=ON -DQUARZIL_BENCHMARKS=ON
cmake --build "$root/build/release" -j "$jobs"
ctest --test-dir "$root/build/release" --output-on-failure -j "$jobs"
# The checks that run man once more with a library preloaded, as reproducibility checks run a
# package build under faketime: man's sandbox must not stop the page being formatted.
faketime "2020-02-02 02:02:02" ctest --test-dir "$root/build/release" --output-on-failure -R '^manual_page_'

# The game built from source against the classic SDL 1.2 as well, and played on X11.
bash "$root/scripts/classic_sdl_test.sh"

cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUARZIL_SANITIZE=address -DQUARZIL_TESTS=ON
cmake --build "$root/build/sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs" -L unit

cmake -S "$root" -B "$root/build/thread" -DCMAKE_BUILD_TYPE=Debug -DQUARZIL_SANITIZE=thread -DQUARZIL_TESTS=ON
cmake --build "$root/build/thread" -j "$jobs" --target sound_tests
TSAN_OPTIONS=halt_on_error=1 "$root/build/thread/tests/sound_tests"

# The file readers fuzzed for a short while each from their seeds (a Clang build of its own).
bash "$root/fuzz/run.sh" 20

# The package built in a fresh Debian 13, with its unit tests and its lintian (a few minutes).
bash "$root/scripts/trixie_build.sh"

# Every test's name short and readable, and the unit tests named alike in two builds of different
# types, so that a name picked from one run selects the same test in the next.
bash "$root/tests/install/check_test_names.sh" "$root/build/release" "$root/build/sanitize"
