#!/usr/bin/env bash
# The bash completion of carexa-sim as bash runs it, against what `carexa-sim --help` says:
#   completion_test.sh COMPLETION_FILE CAREXA_SIM
set -uo pipefail
completion=$1 sim=$2
# shellcheck source=/dev/null
source "$completion"
failures=0

# Completes the words given (the last one is being typed) and prints the candidates sorted,
# one line.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _carexa_sim
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
    local want=$1
    shift
    local got
    got=$(complete_words "$@")
    if [ "$got" != "$want" ]; then
        echo "FAIL: '$*' completes to '$got', not '$want'" >&2
        failures=$((failures + 1))
    fi
}

help=$("$sim" --help)
# The commands of the usage lines, then --help and --version.
commands=$(sed -n 's/^\(Usage:\)\? *carexa-sim \([a-z][a-z-]*\) .*/\2/p' <<<"$help" | sort | tr '\n' ' ')
expect "$(printf '%s\n' $commands --help --version | sort | tr '\n' ' ' | sed 's/ $//')" carexa-sim ''

# Each command's options, as its section of --help lists them ("name: ..." up to the next).
for command in $commands; do
    options=$(awk -v c="$command" '
        /^[a-z][a-z-]*: / { inside = (index($0, c ": ") == 1) }
        inside && /^  --/ { print $1 }' <<<"$help" | sort -u)
    [ -n "$options" ] || { echo "FAIL: no options found for $command" >&2; failures=$((failures + 1)); }
    want=$(printf '%s\n' $options --help | sort | tr '\n' ' ' | sed 's/ $//')
    if [ "$command" = size ]; then
        expect "$want" carexa-sim size ''
    else
        expect "$want" carexa-sim "$command" bed.mdl --
    fi
done

# File names where a file is asked for: projects (.mdl and folders) for the command's project,
# any file after an option that writes or reads one, nothing after a number.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch bed.mdl other.mdl data.csv
mkdir folder
expect "bed.mdl folder other.mdl" carexa-sim run ''
expect "bed.mdl" carexa-sim calibrate b
expect "--boxes --csv --datasheet --fit --forcing --graph --graph-size --help --observed --recalculate --save --xlsx" \
    carexa-sim run bed.mdl ''
expect "bed.mdl data.csv folder other.mdl" carexa-sim run bed.mdl --csv ''
expect "data.csv" carexa-sim export bed.mdl --forcing d
expect "" carexa-sim calibrate bed.mdl --seed ''
expect "" carexa-sim size --flow ''
# An option's value is not taken for the project.
expect "bed.mdl folder other.mdl" carexa-sim run --csv out.csv ''
expect "--graph --graph-size" carexa-sim run bed.mdl --gr
expect "calibrate" carexa-sim cal
expect "" carexa-sim nonsense ''

if [ "$failures" -gt 0 ]; then
    echo "$failures completions wrong" >&2
    exit 1
fi
echo "PASS: the completion of carexa-sim"
