#!/usr/bin/env bash
# check_test_steps.sh -- checks how the test command is steered: which steps --only and --from
# pick, that a whole run stops at the first failing step with its status and still prints the
# times of the steps that ran, that a step fails at its first failing command, and that a wrong
# argument runs nothing. The runner is driven through stand-in steps that only print; the test
# command itself only through --list and --dry-run, which run none of its steps.
#
#     bash tests/install/check_test_steps.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
scripts="$here/../../scripts"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Four stand-in steps: the third fails half-way, with status 3, before it says "after".
cat >"$scratch/run.sh" <<END
set -euo pipefail
source "$scripts/steps.sh"
step one      echo ran one
step two-b    echo ran two-b
step three    sh -c 'echo ran three; exit 3'
step four     echo ran four
run_steps "\$@"
END
cat >"$scratch/halfway.sh" <<END
set -euo pipefail
source "$scripts/steps.sh"
halfway() { echo before; false; echo after; }
step half     halfway
step next     echo ran next
run_steps "\$@"
END

# Runs a script with the given arguments; sets out (stdout and stderr) and status.
run() {
    status=0
    out=$(bash "$@" 2>&1) || status=$?
}

# arguments | expected status | the steps expected to run, in order
cases=(
    "|3|one two-b three"
    "--from two-b|3|two-b three"
    "--from four|0|four"
    "--only four|0|four"
    "--only four --only one|0|one four"
    "--only one --only one|0|one"
    "--only nope|2|"
    "--from nope|2|"
    "--only|2|"
    "--only one --from four|2|"
    "--from one --from four|2|"
    "--bogus|2|"
)
for case in "${cases[@]}"; do
    IFS='|' read -r arguments expected_status expected_steps <<<"$case"
    # shellcheck disable=SC2086 # the arguments are words
    run "$scratch/run.sh" $arguments
    ran=$(sed -n 's/^ran //p' <<<"$out" | paste -sd ' ')
    if [ "$status" != "$expected_status" ] || [ "$ran" != "$expected_steps" ]; then
        fail "run.sh $arguments: expected status $expected_status and the steps '$expected_steps', got status $status and '$ran'; it printed:"
        sed 's/^/    /' <<<"$out" >&2
    fi
done

# A failed run names the step that failed, prints the time of every step that ran, and none of
# those that did not.
run "$scratch/run.sh"
for expected in "^  one  *0:0[0-9]\$" "^  two-b  *0:0[0-9]\$" "^  three  *0:0[0-9]  FAILED\$" "^  total  *0:0[0-9]\$" \
                "the step three failed (status 3)" "--from three"; do
    grep -q -- "$expected" <<<"$out" || fail "a failed run: expected a line matching '$expected', got:$(printf '\n%s' "$out")"
done
grep -q "^  four " <<<"$out" && fail "a failed run: expected no time for the step four that did not run, got:$(printf '\n%s' "$out")"

run "$scratch/run.sh" --only two-b --only four
grep -q "all 2 steps passed" <<<"$out" || fail "run.sh --only two-b --only four: expected 'all 2 steps passed', got:$(printf '\n%s' "$out")"

# A wrong argument says what is right: the step names, or the usage.
run "$scratch/run.sh" --only nope
grep -q "no step is named 'nope'; the steps are: one two-b three four" <<<"$out" ||
    fail "run.sh --only nope: expected the step names, got: $out"
run "$scratch/run.sh" --bogus
grep -q "^usage:" <<<"$out" || fail "run.sh --bogus: expected the usage, got: $out"

# A step stops at its first failing command, even when it is a function.
run "$scratch/halfway.sh"
if [ "$status" -ne 1 ] || ! grep -qx before <<<"$out" || grep -qx after <<<"$out" || grep -q "ran next" <<<"$out"; then
    fail "a step whose second command fails: expected status 1, 'before' and neither 'after' nor the next step, got status $status:$(printf '\n%s' "$out")"
fi

# --list and --dry-run run nothing.
run "$scratch/run.sh" --list
[ "$status" -eq 0 ] && [ "$out" = "$(printf 'one\ntwo-b\nthree\nfour')" ] ||
    fail "run.sh --list: expected status 0 and the four names, one a line, got status $status: $out"
run "$scratch/run.sh" --from two-b --dry-run
[ "$status" -eq 0 ] && ! grep -q "^ran " <<<"$out" && [ "$(grep -c "^would run " <<<"$out")" -eq 3 ] ||
    fail "run.sh --from two-b --dry-run: expected three steps named and none run, got status $status: $out"

# The test command itself: a dry run names every step it lists, in that order, and nothing else;
# --from its last step names that one alone; --help names them all.
run "$scripts/test.sh" --list
listed=$out
if [ "$status" -ne 0 ] || [ -z "$listed" ]; then
    fail "test.sh --list: expected status 0 and the step names, got status $status: $listed"
fi
run "$scripts/test.sh" --dry-run
[ "$status" -eq 0 ] && [ "$(sed -n 's/^would run \([^:]*\): .*/\1/p' <<<"$out")" = "$listed" ] ||
    fail "test.sh --dry-run: expected every listed step, in order, got status $status:$(printf '\n%s' "$out")"
last=$(tail -n 1 <<<"$listed")
run "$scripts/test.sh" --from "$last" --dry-run
[ "$status" -eq 0 ] && [ "$(grep -c . <<<"$out")" -eq 1 ] && grep -q "^would run $last: " <<<"$out" ||
    fail "test.sh --from $last --dry-run: expected that step alone, got status $status: $out"
run "$scripts/test.sh" --help
grep -qF "The steps: $(paste -sd ' ' <<<"$listed")" <<<"$out" ||
    fail "test.sh --help: expected every step named, got: $out"

[ "$failures" -eq 0 ] || exit 1
echo "the steps are picked, run, timed and stopped as asked"
