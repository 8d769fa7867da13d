#!/bin/bash
# stackcollapse-perf.pl against its table of cases: each row names a perf
# script text, the options, and the folded text expected from it.
# usage: test-stackcollapse.sh <stackcollapse-perf.pl> <cases directory>
set -uo pipefail
script=${1:?stackcollapse-perf.pl}
dir=${2:?cases directory}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
n=0

while IFS=$'\t' read -r name input options expected; do
    case "$name" in ''|'#'*) continue ;; esac
    [ "$options" = "-" ] && options=""   # "-": no options
    n=$((n + 1))
    # shellcheck disable=SC2086
    perl "$script" $options "$dir/$input" > "$tmp/out" 2> "$tmp/err"
    status=$?
    if [ "$status" -ne 0 ]; then
        echo "FAIL: $name: exit status $status ($(cat "$tmp/err"))"; fail=1; continue
    fi
    if ! diff -u "$dir/$expected" "$tmp/out" > "$tmp/diff"; then
        echo "FAIL: $name ($input $options):"; cat "$tmp/diff"; fail=1; continue
    fi
    # Standard input folds the same as a named file.
    # shellcheck disable=SC2086
    perl "$script" $options < "$dir/$input" > "$tmp/stdin"
    if ! cmp -s "$tmp/out" "$tmp/stdin"; then
        echo "FAIL: $name: standard input folds differently from the file"; fail=1; continue
    fi
    echo "ok: $name"
done < "$dir/cases.tsv"
[ "$n" -gt 0 ] || { echo "FAIL: no cases read from $dir/cases.tsv"; exit 1; }

# Refusals: status and the one line that says what was wrong.
check_refusal() {
    local what=$1 want_status=$2 want_text=$3; shift 3
    perl "$script" "$@" < /dev/null > "$tmp/out" 2> "$tmp/err"
    local status=$?
    if [ "$status" -ne "$want_status" ] || ! grep -q -- "$want_text" "$tmp/err" "$tmp/out"; then
        echo "FAIL: $what: status $status, output: $(cat "$tmp/out" "$tmp/err")"; fail=1
    elif [ "$want_status" -ne 0 ] && [ -s "$tmp/out" ]; then
        echo "FAIL: $what: wrote folded output although it refused"; fail=1
    else
        echo "ok: $what"
    fi
}
check_refusal "missing input file" 1 "cannot read $tmp/none" "$tmp/none"
check_refusal "unknown option" 1 "usage:" --no-such-option
check_refusal "help" 0 "usage:" --help

exit $fail
