#!/usr/bin/env bash
# test.sh -- sets everything up, builds and installs Quarzil and runs every test: the unit tests
# and the game played in a virtual X server, then the unit tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer, the sound ring under ThreadSanitizer, and the file readers
# under libFuzzer
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$root/scripts/setup.sh"

build_and_install
ctest --test-dir "$root/build/release" --output-on-failure -j "$jobs"

cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUARZIL_SANITIZE=address -DQUARZIL_BENCHMARKS=OFF
cmake --build "$root/build/sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs" -L unit

cmake -S "$root" -B "$root/build/thread" -DCMAKE_BUILD_TYPE=Debug -DQUARZIL_SANITIZE=thread -DQUARZIL_BENCHMARKS=OFF
cmake --build "$root/build/thread" -j "$jobs" --target sound_tests
TSAN_OPTIONS=halt_on_error=1 "$root/build/thread/tests/sound_tests"

# The file readers fuzzed for a short while each from their seeds (a Clang build of its own).
bash "$root/fuzz/run.sh" 20
