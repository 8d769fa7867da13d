#!/bin/bash
# Ostrum's command line as a user meets it: help, version, the processor
# check and the refusals of bad values.
. "$(dirname "$0")/e2e-lib.sh"

ostrum q60-2s "" -h
expect_status 0 "help"
expect_in "$OUT" "             prefetch     : get prefetch hit info" "prefetch line on the base model"
expect_in "$OUT" "(optional)      default: 0-95" "default CPU list of the fixture"
[ "$(sed -n 2p out.txt)" = " Usage: $OSTRUM [OPTIONS...] " ] || fail "usage line: $(sed -n 2p out.txt)"

ostrum q60b-1s "" --help
expect_status 0 "help on Q60B"
expect_not_in "$OUT" "prefetch     :" "no prefetch line on Q60B"
expect_in "$OUT" "default: 0-47" "CPU list of Q60B"

ostrum q60-2s "" -v
expect_status 0 "version"
[ "$OUT" = "Version: 5.1  Build Time: 20241209103814" ] || fail "version line: $OUT"

ostrum q60-2s "" lonely-word
expect_status 0 "only a non-option word"
expect_in "$OUT" " Usage: " "help for a lone word"

for args in "-x" "-d /tmp" "--dest /tmp" "-e"; do
    # shellcheck disable=SC2086
    ostrum q60-2s "" $args
    expect_status 1 "unusable option $args"
    expect_in "$OUT" " Usage: " "help after $args"
done

# Outside the family every invocation ends with the error line and status 1.
for args in "" "-h" "-v" "-m bandwidth -t 1 -i 1"; do
    # shellcheck disable=SC2086
    ostrum other "" $args
    expect_status 1 "non-family machine with '$args'"
    expect_in "$OUT" "ERROR : " "error line on a non-family machine"
    expect_not_in "$OUT" "Usage" "no help on a non-family machine"
done

# Refused values: one line naming the option, status 1, nothing created.
while read -r option value; do
    [ "$value" = "EMPTY" ] && value=""
    ostrum q60-2s "" -m bandwidth "$option" "$value"
    expect_status 1 "refusal of $option '$value'"
    [ "$(wc -l <err.txt)" -eq 1 ] || fail "one line for $option '$value': $ERR"
    expect_in "$ERR" "invalid $option value" "message names $option"
    [ ! -e perf_results ] || fail "nothing created for $option '$value'"
done <<'CASES'
-i abc
-i 0
-t -1
-t EMPTY
-p twelve
-p 0
-c 0-3,x
-c 4-2
-K (unclosed
-k a;touch_x
-k ../up
-k $(id)
CASES

finish
