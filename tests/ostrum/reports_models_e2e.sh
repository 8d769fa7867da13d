#!/usr/bin/env bash
# What the model and the machine decide: the Q60B family has no L2 locality
# rows and no prefetch report, Q60F counts its L3 traffic on "uc" devices, a
# machine without home agent 2 of SCCL 1 has no L3 or DDR rows, and the L3
# event names do not stand in plain in the executable.

source "$(dirname "$0")/reports_common.sh"

# Q60B (q60b-1s: two dies of 24 CPUs): the Q60B-family codes, L3 rows first.
run_ostrum q60b-1s '4 0x6055 3000000
4 0x6056 1000000
* * 0' -m access -t 1 -i 1 -c 0-47
[ "$status" -eq 0 ] || fail "Q60B access exited with $status"
mapfile -t lines < <(sed -n '/Cache and DDR Hit Ratio/,$p' <<< "$out")
case "${lines[3]:-}" in
    "L3 Hit Local  Cluster :"*) ;;
    *) fail "Q60B: first row is '${lines[3]:-}', not the local L3 row" ;;
esac
grep -qF "L2 Hit" <<< "$out" && fail "Q60B: L2 rows printed"
expect_cells "$out" "L3 Hit Local  Cluster :" "37.50%;37.50%;75.00%" 1
expect_cells "$out" "L3 Hit Remote Cluster :" "12.50%;12.50%;25.00%" 1

# No prefetch report outside the base Q60.
run_ostrum q60b-1s '* * 1000' -m prefetch -t 1 -i 1 -c 0-3
[ "$status" -eq 0 ] || fail "Q60B prefetch exited with $status"
grep -qF "Prefetch Hit Rate" <<< "$out" && fail "Q60B: a prefetch report was printed"

# Q60F: the L3 rows come from the "uc" devices (types 146, 147 on SCCL 1 and
# 148, 149 on SCCL 3, event code 0x04); DDR as on every model.
run_ostrum q60f '146 0x04 16384000
149 0x04 49152000
141 0x01 32768000
* * 0' -m bandwidth -t 1 -i 1
[ "$status" -eq 0 ] || fail "Q60F bandwidth exited with $status"
expect_cells "$out" "L3 Cache  BW :" "1000.00;3000.00;4000.00 MB/s"
expect_cells "$out" "DDR RD    BW :" "1000.00;0.00;1000.00 MB/s"

# No home agent 2 of SCCL 1: the uncore counters are not used at all.
run_ostrum q60-nohha2 '* * 1000' -m bandwidth -t 1 -i 1 -c 0-7
[ "$status" -eq 0 ] || fail "bandwidth without uncore support exited with $status"
grep -qF "This OS is not support uncore events, L3 and DDR BW can't get" <<< "$out" ||
    fail "no message about the missing uncore support"
grep -qF "L3 Cache  BW :" <<< "$out" && fail "L3 row printed without uncore support"
grep -qF "L1 Cache  BW :" <<< "$out" || fail "the L1 row is missing without uncore support"

# The model-specific L3 event names are kept obfuscated in the executable.
"$QUENDAR_SOURCE_DIR/scripts/check-no-plaintext.sh" "$OSTRUM" l3c_flux l3_flux uc_l3flux ||
    fail "an L3 event name stands in plain in $OSTRUM"

finish
