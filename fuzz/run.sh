#!/usr/bin/env bash
# run.sh -- builds the fuzzers of the file readers with Clang in build/fuzz and runs each in turn
# for the given number of seconds, starting from its seeds in fuzz/corpus
#
#   fuzz/run.sh [SECONDS [TARGET...]] [-- LIBFUZZER_OPTION...]
#
# SECONDS defaults to 60; TARGET is font, scores or sound, all three by default. Inputs that
# reach new code are kept in build/fuzz/fuzz/work/TARGET and used again by the next run; an
# input that crashes a reader is saved as build/fuzz/fuzz/artifacts/TARGET-crash-... and the
# script stops with a failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/fuzz

seconds=60
targets=()
options=()
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    seconds=$1
    shift
fi
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    targets+=("$1")
    shift
done
if [ $# -gt 0 ]; then
    shift
    options=("$@")
fi
if [ ${#targets[@]} -eq 0 ]; then
    targets=(font scores sound)
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUARZIL_TESTS=OFF -DQUARZIL_BENCHMARKS=OFF -DQUARZIL_SANITIZE=
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"

for target in "${targets[@]}"; do
    work=$build/fuzz/work/$target
    artifacts=$build/fuzz/artifacts
    mkdir -p "$work" "$artifacts"
    echo "== $target: $seconds seconds"
    "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" ${options[@]+"${options[@]}"} "$work" "$root/fuzz/corpus/$target"
done
