#!/usr/bin/env bash
# check_test_names.sh -- checks that every CTest test of a build has a short, readable name that
# stays the same from build to build, so that `ctest -R NAME` picked from one run selects the
# same test in the next.
#
#     bash tests/install/check_test_names.sh BUILD_DIR [OTHER_BUILD_DIR]
#
# A name fails when it is longer than max_length characters, or when it shows a test parameter
# as GoogleTest prints a value it has no printer for: its raw bytes ("40-byte object <F1-43
# ...>"), which hold addresses that change with every build. Given a second build of the same
# source (another build type, the sanitizer build), the unit tests of both must have the same
# names.
set -euo pipefail

max_length=160

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD_DIR [OTHER_BUILD_DIR]" >&2
    exit 2
fi

# The names CTest knows, one a line; those of one label when a label is given.
names() {
    ctest --test-dir "$1" -N ${2:+-L "$2"} | sed -n 's/^ *Test *#[0-9]*: //p'
}

listed=$(names "$1")
count=$(grep -c . <<<"$listed" || true)
if [ "$count" -eq 0 ]; then
    echo "expected the build in $1 to have tests, it has none (configure it with -DQUARZIL_TESTS=ON)" >&2
    exit 1
fi
failures=0

raw=$(grep -E -- '-byte object <' <<<"$listed" || true)
if [ -n "$raw" ]; then
    echo "FAIL: expected every test parameter to be shown by its name, got raw bytes in $(grep -c . <<<"$raw") names, such as:" >&2
    head -n 3 <<<"$raw" | cut -c 1-200 >&2
    failures=$((failures + 1))
fi

long=$(awk -v max="$max_length" 'length($0) > max' <<<"$listed")
if [ -n "$long" ]; then
    echo "FAIL: expected every test name to be at most $max_length characters, got $(grep -c . <<<"$long") longer, the longest $(awk '{ if (length($0) > n) n = length($0) } END { print n }' <<<"$long"):" >&2
    head -n 3 <<<"$long" | cut -c 1-200 >&2
    failures=$((failures + 1))
fi

if [ $# -eq 2 ]; then
    changed=$(diff <(names "$1" unit | sort) <(names "$2" unit | sort) || true)
    if [ -n "$changed" ]; then
        echo "FAIL: expected the unit tests of $1 and $2 to have the same names, they differ in $(grep -c '^[<>]' <<<"$changed") lines, such as:" >&2
        grep '^[<>]' <<<"$changed" | head -n 4 | cut -c 1-200 >&2
        failures=$((failures + 1))
    fi
fi

[ "$failures" -eq 0 ] || exit 1
echo "all $count test names are short and name their parameters${2:+, and the unit tests of both builds have the same names}"
