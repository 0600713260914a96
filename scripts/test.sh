#!/usr/bin/env bash
# test.sh -- sets everything up and runs every test, in named steps. It builds the Debian package
# as the play command does (the package build runs the unit tests), checks it and the source
# package with lintian, installs it and runs its own tests (autopkgtest), on this machine and in a
# fresh Debian 12 system; then builds the project once more with the package's layout, for the
# unit tests, the end-to-end tests, which play the packaged game, and the unit tests under
# Valgrind; builds and plays the game against the classic SDL 1.2; then runs the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the sound ring under ThreadSanitizer, and
# the file readers under libFuzzer; then builds the package in a fresh Debian 13 system; and last
# checks that every test has a short name that stays the same from build to build.
#
#     bash scripts/test.sh [--only NAME]... | [--from NAME] [--dry-run]
#     bash scripts/test.sh --list | --help
#
# With no option it runs every step in order and stops at the first that fails; --only runs one
# step, --from that step and every one after it (scripts/steps.sh says the rest). A step that
# needs what an earlier step makes says so and fails when it is missing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$root/scripts/steps.sh"

# Fails, naming the step that makes it, unless the given file or folder is there.
needs() {
    local path=$1 what=$2 maker=$3
    [ -e "$path" ] && return 0
    echo "this step needs $what ($path), which the step $maker makes: run that step first" \
         "(bash scripts/test.sh --only $maker)" >&2
    return 1
}

# Fails unless the package of this version is installed, naming the step that installs it.
needs_installed_package() {
    if [ "$(dpkg-query -W -f='${Status} ${Version}' quarzil 2>/dev/null)" != "install ok installed $version" ]; then
        echo "this step needs the package quarzil $version installed, which the step install-package" \
             "does: run that step first (bash scripts/test.sh --only install-package)" >&2
        return 1
    fi
}

build_the_package() {
    install_build_dependencies
    build_package
    ls -l "$package_file"
}

lint_the_package() {
    needs "$package_file" "the package" package
    needs "$symbols_file" "the package's debug symbols" package
    lintian --fail-on error,warning --display-level ">=warning" "$package_file" "$symbols_file"
    echo "lintian: no errors and no warnings on $(basename "$package_file")"
}

lint_the_source_package() {
    build_source_package
    lintian --fail-on error,warning,info --display-level ">=info" "$source_package_file"
    echo "lintian: no errors, warnings or infos on $(basename "$source_package_file")"
}

install_the_package() {
    needs "$package_file" "the package" package
    needs "$symbols_file" "the package's debug symbols" package
    install_package "$symbols_file"
}

run_autopkgtest() {
    needs_installed_package
    copy_source
    autopkgtest --no-built-binaries "$package_source" -- null
}

build_release() {
    cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
        -DCMAKE_INSTALL_BINDIR=games -DQUARZIL_DATADIR=share/games/quarzil \
        -DQUARZIL_TESTS=ON -DQUARZIL_E2E_TESTS=ON -DQUARZIL_BENCHMARKS=ON
    cmake --build "$root/build/release" -j "$jobs"
}

test_release() {
    needs "$root/build/release/CTestTestfile.cmake" "the release build" release-build
    needs_installed_package
    ctest --test-dir "$root/build/release" --output-on-failure -j "$jobs"
}

check_manual_page_under_faketime() {
    needs "$root/build/release/CTestTestfile.cmake" "the release build" release-build
    faketime "2020-02-02 02:02:02" ctest --test-dir "$root/build/release" --output-on-failure -R '^manual_page_'
}

test_address_sanitizer() {
    cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUARZIL_SANITIZE=address -DQUARZIL_TESTS=ON
    cmake --build "$root/build/sanitize" -j "$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs" -L unit
}

test_thread_sanitizer() {
    cmake -S "$root" -B "$root/build/thread" -DCMAKE_BUILD_TYPE=Debug -DQUARZIL_SANITIZE=thread -DQUARZIL_TESTS=ON
    cmake --build "$root/build/thread" -j "$jobs" --target sound_tests
    TSAN_OPTIONS=halt_on_error=1 "$root/build/thread/tests/sound_tests"
}

check_test_names() {
    needs "$root/build/release/CTestTestfile.cmake" "the release build" release-build
    needs "$root/build/sanitize/CTestTestfile.cmake" "the sanitizer build" asan
    bash "$root/tests/install/check_test_names.sh" "$root/build/release" "$root/build/sanitize"
}

# The steps of a whole run, in order: a name, then the command. One line adds a step.

# Every Debian package that building and testing need; only those missing are installed.
step setup            bash "$root/scripts/setup.sh"
# The package's build dependencies as debian/control lists them, and the .deb built from a fresh
# copy of the source as the play command builds it; the package build runs the unit tests.
step package          build_the_package
# lintian on the .deb and its debug symbols: errors and warnings fail; an override must carry its
# reason beside it in debian/.
step lintian          lint_the_package
# The source package as an upload carries it, checked by lintian: not even an informational tag
# may remain.
step source-package   lint_the_source_package
# The package installed with the game's symbols (the package's debug symbols), by which the
# hostile and soak tests read the stripped game's memory.
step install-package  install_the_package
# The package's own tests, run on this machine by autopkgtest's null runner, from a clean copy of
# the source.
step autopkgtest      run_autopkgtest
# The same tests in a fresh, minimal Debian 12 into which apt installs the package with what it
# picks for its dependencies by itself (a minute or two).
step clean-system     bash "$root/scripts/clean_system_test.sh"
# The project built in build/release with the same layout as the package's, so that the
# end-to-end tests play the packaged game, with the tests, the end-to-end tests and the
# benchmarks, which are built only when asked for.
step release-build    build_release
# Every test of that build: the unit and install tests, the end-to-end tests, the unit tests under
# Valgrind.
step release-tests    test_release
# The checks that run man once more with a library preloaded, as reproducibility checks run a
# package build under faketime: man's sandbox must not stop the page being formatted.
step man-faketime     check_manual_page_under_faketime
# The game built from source against the classic SDL 1.2 as well, and played on X11.
step classic-sdl      bash "$root/scripts/classic_sdl_test.sh"
# The unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, in build/sanitize.
step asan             test_address_sanitizer
# The sound ring under ThreadSanitizer, in build/thread.
step tsan             test_thread_sanitizer
# The file readers fuzzed for a short while each from their seeds (a Clang build of its own).
step fuzz             bash "$root/fuzz/run.sh" 20
# The game as a web page: built with Debian's Emscripten, its OpenGL layer's unit tests under
# node, and the page played in Debian's headless Chromium on the loopback (installs both first).
step web              bash "$root/scripts/web_test.sh"
# The package built in a fresh Debian 13, with its unit tests and its lintian (a few minutes).
step trixie-build     bash "$root/scripts/trixie_build.sh"
# Every test's name short and readable, and the unit tests named alike in two builds of different
# types, so that a name picked from one run selects the same test in the next.
step test-names       check_test_names

run_steps "$@"
