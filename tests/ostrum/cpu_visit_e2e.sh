#!/bin/bash
# Counters are handled from their own CPU: on a two-CPU machine description
# the simulated PMU's record shows from which CPU every open, enable, read,
# disable and close came; confined with taskset to one CPU, the tool handles
# everything from there and says so once.
. "$(dirname "$0")/e2e-lib.sh"

if [ "$(nproc --all)" -lt 2 ] || ! taskset -c 0,1 true 2>/dev/null; then
    echo "needs CPUs 0 and 1; skipped"
    exit 0
fi

printf '* * 1000000\n' >sim.txt
notice="Ostrum may not run on CPU"

# traced TRACE [taskset CPUS] ARGS...: Ostrum on the two-CPU machine, every
# counter call recorded in TRACE ("<call> <fd> <bound cpu> <cpu it came from>").
traced() {
    local trace=$1
    shift
    local pin=()
    if [ "$1" = taskset ]; then
        pin=(taskset -c "$2")
        shift 2
    fi
    rm -f "$trace"
    QUENDAR_SYSROOT=$MACHINES/q60-2cpu QUENDAR_PMU_SIM=$PWD/sim.txt QUENDAR_PMU_SIM_TRACE=$trace \
        "${pin[@]}" $EMU "$OSTRUM" "$@" >out.txt 2>err.txt
    STATUS=$?
    OUT=$(cat out.txt)
    ERR=$(cat err.txt)
}

# count TRACE AWK-CONDITION: the number of records matching.
count() {
    awk "$2 { n++ } END { print n + 0 }" "$1"
}

# Unconfined, system-wide: both CPUs' core and uncore counters, each call
# from the counter's own CPU.
traced "$PWD/free.txt" -m bandwidth -t 2 -i 1
expect_status 0 "bandwidth run on two CPUs"
expect_in "$OUT" "Total Average" "the run completes"
expect_not_in "$OUT" "$notice" "nothing to say when every CPU may be visited"
[ -s free.txt ] || fail "the simulator recorded the calls"
for call in open enable read disable close; do
    for cpu in 0 1; do
        [ "$(count free.txt "\$1 == \"$call\" && \$3 == $cpu")" -gt 0 ] || fail "$call calls of CPU $cpu's counters recorded"
    done
done
elsewhere=$(count free.txt '$3 >= 0 && $3 != $4')
[ "$elsewhere" -eq 0 ] || fail "$elsewhere calls came from another CPU than the counter's: $(awk '$3 >= 0 && $3 != $4' free.txt | head -n 3)"
# Every counter opened is enabled, read each period, disabled and closed.
opens=$(count free.txt '$1 == "open"')
[ "$(count free.txt '$1 == "close"')" -eq "$opens" ] || fail "every counter opened is closed ($opens opened)"
[ "$(count free.txt '$1 == "enable"')" -eq "$opens" ] || fail "every counter opened is enabled once"
[ "$(count free.txt '$1 == "read"')" -eq $((2 * opens)) ] || fail "every counter is read once per period"

# A process measured on both CPUs: counters of (thread, CPU) follow the CPU.
sleep 30 &
target=$!
traced "$PWD/process.txt" -m bandwidth -t 1 -i 1 -p "$target"
expect_status 0 "process run on two CPUs"
[ "$(count process.txt '$1 == "read" && $3 == 1')" -gt 0 ] || fail "the process's counters on CPU 1 are read"
[ "$(count process.txt '$3 >= 0 && $3 != $4')" -eq 0 ] || fail "process counters handled from their own CPU"
kill "$target"
wait "$target" 2>/dev/null

# Confined to CPU 0: everything is done from CPU 0, the run is whole, and the
# user is told once.
traced "$PWD/pinned.txt" taskset 0 -m bandwidth -t 2 -i 1
expect_status 0 "run confined to CPU 0"
expect_in "$OUT" "Total Average" "the confined run completes"
[ "$(grep -c "$notice" out.txt)" -eq 1 ] || fail "the fallback is said exactly once: $(grep "$notice" out.txt)"
expect_in "$OUT" "$notice 1 (it may run on CPUs 0)" "the notice names the CPU and where the tool may run"
[ "$(count pinned.txt '$3 == 1')" -gt 0 ] || fail "CPU 1's counters are still handled"
[ "$(count pinned.txt '$4 != 0')" -eq 0 ] || fail "no call left CPU 0: $(awk '$4 != 0' pinned.txt | head -n 3)"
[ "$(count pinned.txt '$1 == "open"')" -eq "$opens" ] || fail "the confined run opens the same counters"
[ "$(count pinned.txt '$1 == "read"')" -eq $((2 * opens)) ] || fail "the confined run reads every counter each period"

finish
