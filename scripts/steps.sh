# steps.sh -- runs the test command's named steps, all, one or those from one on, and times them
#
# A script sources this file, declares its steps in the order of a whole run with
# `step NAME COMMAND [ARG...]`, and ends with `run_steps "$@"`, which takes:
#
#     (nothing)       every step, in order
#     --only NAME     that step alone; given more than once, those steps, in the run's order
#     --from NAME     that step and every one after it
#     --dry-run       says which steps would run, and runs none
#     --list          the step names, one a line
#     --help
#
# Each step runs in a subshell of its own with errexit, nounset and pipefail: the first command of
# it that fails fails the step, and nothing a step sets is left for the next, so a step runs alone
# as it runs in the whole. The run stops at the first step that fails and ends with its status.

step_names=()
step_commands=()

# Declares the next step: its name (letters, digits and hyphens) and the command it runs.
step() {
    if [ $# -lt 2 ] || ! [[ $1 =~ ^[a-z0-9][a-z0-9-]*$ ]]; then
        echo "step: expected a name of lowercase letters, digits and hyphens and a command, got: $*" >&2
        exit 2
    fi
    step_names+=("$1")
    shift
    step_commands+=("$(printf '%q ' "$@")")
}

# The index of the step of the given name, or a failure that lists the names.
step_index() {
    local i
    for i in "${!step_names[@]}"; do
        if [ "${step_names[$i]}" = "$1" ]; then
            echo "$i"
            return 0
        fi
    done
    echo "$(basename "$0"): no step is named '$1'; the steps are: ${step_names[*]}" >&2
    return 1
}

steps_usage() {
    cat <<END
usage: bash $0 [--only NAME]... | [--from NAME] [--dry-run]
       bash $0 --list | --help

With no option, runs every step in order. Stops at the first step that fails, and prints how long
each step that ran took.

  --only NAME   runs that step alone (more than once: those steps, in the order of a whole run)
  --from NAME   runs that step and every one after it
  --dry-run     says which steps would run, and runs none
  --list        prints the step names, in order
  --help        prints this

The steps: ${step_names[*]}
END
}

# Minutes and seconds, m:ss.
steps_duration() {
    printf '%d:%02d' $(($1 / 60)) $(($1 % 60))
}

run_steps() {
    local only=() from="" dry=0 index
    while [ $# -gt 0 ]; do
        case $1 in
            --only|--from)
                if [ $# -lt 2 ]; then
                    echo "$(basename "$0"): $1 needs a step name; the steps are: ${step_names[*]}" >&2
                    return 2
                fi
                index=$(step_index "$2") || return 2
                if [ "$1" = --only ]; then
                    only+=("$index")
                elif [ -n "$from" ]; then
                    echo "$(basename "$0"): --from may be given once" >&2
                    return 2
                else
                    from=$index
                fi
                shift 2
                ;;
            --dry-run) dry=1; shift ;;
            --list) printf '%s\n' "${step_names[@]}"; return 0 ;;
            --help|-h) steps_usage; return 0 ;;
            *)
                echo "$(basename "$0"): unknown argument '$1'" >&2
                steps_usage >&2
                return 2
                ;;
        esac
    done
    if [ ${#only[@]} -gt 0 ] && [ -n "$from" ]; then
        echo "$(basename "$0"): --only and --from do not go together" >&2
        return 2
    fi

    # The steps to run, by index, in the order of a whole run.
    local chosen=() i
    for i in "${!step_names[@]}"; do
        if [ ${#only[@]} -gt 0 ]; then
            [[ " ${only[*]} " == *" $i "* ]] && chosen+=("$i")
        elif [ -z "$from" ] || [ "$i" -ge "$from" ]; then
            chosen+=("$i")
        fi
    done

    if [ "$dry" -eq 1 ]; then
        for i in "${chosen[@]}"; do
            echo "would run ${step_names[$i]}: ${step_commands[$i]% }"
        done
        return 0
    fi

    local times=() status=0 failed="" started count=0 errexit=0
    local run_started=$SECONDS
    [[ $- == *e* ]] && errexit=1
    for i in "${chosen[@]}"; do
        count=$((count + 1))
        echo "== step ${step_names[$i]} ($count of ${#chosen[@]})"
        started=$SECONDS
        # Outside a condition, so that errexit holds inside the subshell.
        set +e
        (set -euo pipefail; eval "${step_commands[$i]}")
        status=$?
        [ "$errexit" -eq 0 ] || set -e
        times+=("$((SECONDS - started))")
        if [ "$status" -ne 0 ]; then
            failed=${step_names[$i]}
            break
        fi
    done

    echo "== step times"
    local n
    for n in "${!times[@]}"; do
        i=${chosen[$n]}
        printf '  %-16s %8s%s\n' "${step_names[$i]}" "$(steps_duration "${times[$n]}")" \
            "$([ "${step_names[$i]}" = "$failed" ] && echo "  FAILED")"
    done
    printf '  %-16s %8s\n' total "$(steps_duration $((SECONDS - run_started)))"
    if [ -n "$failed" ]; then
        echo "$(basename "$0"): the step $failed failed (status $status); once it is mended," \
             "'bash $0 --from $failed' goes on from it" >&2
        return "$status"
    fi
    if [ ${#chosen[@]} -eq 1 ]; then
        echo "$(basename "$0"): the step ${step_names[${chosen[0]}]} passed"
    else
        echo "$(basename "$0"): all ${#chosen[@]} steps passed"
    fi
}
