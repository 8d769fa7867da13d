#!/usr/bin/env bash
# ostrum -m all on a machine of two dies: the other reports fill the left
# column and the top-down report stands in the right one, each of its lines
# after the " | " that closes the 102 columns of the left one, in the period
# and in the average.

source "$(dirname "$0")/topdown_common.sh"

# Every event counts 1e9 a second, so every top-down share has a value its
# formulas give for equal counts. Q60C, 1e9 cycles on each of 4 CPUs:
# Front-End Bound 1 / 8 slots, Bad Speculation 0 / 6, Retiring 1 / 6.
rules='* * 1000000000'

run_ostrum "$QUENDAR_FIXTURES/machines/q60c" "$rules" -m all -t 1 -i 1 -c 0-3
[ "$status" -eq 0 ] || fail "ostrum -m all exited with $status: $err"

for n in 1 2; do
    # the lines of the n-th report that hold the top-down title, and all after it
    right=$(awk -v want="$n" '
        index($0, "Top-down Analysis Summary (pid: ") > 0 { seen++ }
        seen == want { print }' <<< "$out")
    title_line=$(head -n 1 <<< "$right")
    [ "${title_line:102:3}" = " | " ] || fail "report $n: the top-down title is not in the right column: '$title_line'"
    left=${title_line:0:102}
    [ -n "${left// /}" ] || fail "report $n: the left column is empty beside the top-down title"
    block=$(cut -c106- <<< "$right" | sed 's/ *$//' | awk '{ print } $0 ~ /^#+$/ && length($0) == 58 { exit }')
    expect_frame "report $n" "$block" "-1" "0-3" 4000000000 4000000000 1.00
    for check in "Front-End Bound:=12.50%" "Bad Speculation:=0.00%" "Retiring:=16.67%" "Back-End Bound:=70.83%"; do
        label=${check%%=*}
        value=${check#*=}
        [ "$(value_of "$block" "$label")" = "$value" ] ||
            fail "report $n: $label '$(value_of "$block" "$label")', expected $value"
    done
done

finish
