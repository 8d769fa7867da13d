#!/bin/bash
# SIGINT and SIGTERM during a run: the message, the teardown output (results
# path), exit status = signal number; the open-files limit is raised for
# the run.
. "$(dirname "$0")/e2e-lib.sh"

printf '* * 1000\n' >sim.txt

for signal in INT TERM; do
    rm -f out.txt
    (
        ulimit -Sn 1100
        exec env QUENDAR_SYSROOT="$MACHINES/q60-2s" QUENDAR_PMU_SIM="$PWD/sim.txt" $EMU "$OSTRUM" \
            -m bandwidth -t 1000 -i 1 >out.txt 2>err.txt
    ) &
    run=$!
    for _ in $(seq 1 300); do
        grep -q " 0 Times" out.txt 2>/dev/null && break
        sleep 0.1
    done
    grep -q " 0 Times" out.txt || fail "first period printed before the signal"
    soft=$(awk '/Max open files/ {print $4}' "/proc/$run/limits")
    [ "$soft" -gt 1100 ] || fail "open-files limit raised for the counters (soft $soft)"
    kill -s "$signal" "$run"
    wait "$run"
    STATUS=$?
    number=$(kill -l "$signal")
    expect_status "$number" "SIG$signal mid-run"
    message=$(grep -n "^Interrupt signal ($number) received$" out.txt | cut -d: -f1)
    saved=$(grep -n "^Print info is saved to $PWD/perf_results/.*/perf_info.txt$" out.txt | cut -d: -f1)
    [ -n "$message" ] || fail "interrupt message for SIG$signal"
    [ -n "$saved" ] || fail "results path printed for SIG$signal"
    [ -n "$message" ] && [ -n "$saved" ] && [ "$message" -lt "$saved" ] || fail "message before the teardown output"
    expect_not_in "$(cat out.txt)" "Total Average" "no average after SIG$signal"
done

finish
