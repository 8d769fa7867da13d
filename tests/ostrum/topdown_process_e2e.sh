#!/usr/bin/env bash
# ostrum -m topdown -p <pid>: the threads of the process are counted wherever
# they run. The only rules of the simulated PMU match counters opened for that
# process on any CPU (cpu -1); a counter opened on one CPU would find no rule,
# fail to open and count nothing.

source "$(dirname "$0")/topdown_common.sh"

sleep 60 &
target=$!
trap 'kill "$target" 2> /dev/null; rm -rf "$scratch"' EXIT

# One thread, 1e9 cycles and 5e8 retired instructions a second: IPC 0.50 and
# Retiring 5e8 / (6 issue slots x 1e9 cycles) = 8.33 % on a Q60C.
rules="4 0x0011 1000000000 cpu=-1 pid=$target
4 0x0008 500000000 cpu=-1 pid=$target
4 * 0 cpu=-1 pid=$target"

run_ostrum "$QUENDAR_FIXTURES/machines/q60c" "$rules" -m topdown -t 1 -i 1 -c 0-3 -p "$target"
[ "$status" -eq 0 ] || fail "ostrum -p exited with $status: $err"
block=$(topdown_block "$out" 1)
[ -n "$block" ] || fail "no top-down report: $out"
# the title names the process and the CPU list given
expect_frame "process report" "$block" "$target" "0-3" 500000000 1000000000 0.50
[ "$(value_of "$block" "Retiring:")" = "8.33%" ] || fail "Retiring: $(value_of "$block" "Retiring:"), expected 8.33%"

finish
