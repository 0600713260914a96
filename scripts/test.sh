#!/usr/bin/env bash
# test.sh -- sets everything up, builds Quarzil and runs every test: the normal build, then the
# unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

bash "$root/scripts/setup.sh"

cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build/release" -j "$jobs"
ctest --test-dir "$root/build/release" --output-on-failure -j "$jobs"

cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUARZIL_SANITIZE=ON -DQUARZIL_BENCHMARKS=OFF
cmake --build "$root/build/sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs" -L unit
