#!/bin/bash
# A bandwidth run on the two-socket Q60 fixture with a simulated PMU whose
# rates imply known figures.
. "$(dirname "$0")/e2e-lib.sh"

# 65,536 L1D accesses (16 bytes) per second on CPU 0 = 1 MB/s on die 0;
# 16,384 L2D accesses (64 bytes) on CPU 30, multiplexed half the time,
# = 1 MB/s on die 1; everything else counts nothing.
cat >sim.txt <<'SIM'
# L1D_CACHE
4 0x04 65536 cpu=0
4 0x04 0
4 0x16 16384 cpu=30 running=0.5
4 0x16 0
* * 0
SIM

ostrum q60-2s "$PWD/sim.txt" -m bandwidth -t 2 -i 1 -k nightly
expect_status 0 "bandwidth run"
plain=$(decode out.txt)
expect_in "$plain" "        0 Times" "first period header"
expect_in "$plain" "        1 Times" "second period header"
expect_in "$plain" "Total Average" "average block"
expect_in "$plain" "Cache and DDR Bandwidth (pid: -1 cpu: 0-92,94)" "title"

rows_l1=$(printf '%s\n' "$plain" | grep '^L1 Cache  BW :')
rows_l2=$(printf '%s\n' "$plain" | grep '^L2 Cache  BW :')
[ "$(printf '%s\n' "$rows_l1" | wc -l)" -eq 3 ] || fail "three L1 rows (two periods and the average)"
while IFS='|' read -r die0 die1 die2 die3 total; do
    [ "$(echo $die0 | awk '{print $NF}')" = "1.00" ] || fail "L1 die0 shows 1.00: $die0"
    [ "$(echo $die1)" = "0.00" ] || fail "L1 die1 shows 0.00: $die1"
    [ "$(echo $total)" = "1.00 MB/s" ] || fail "L1 total 1.00 MB/s: $total"
done <<<"$rows_l1"
while IFS='|' read -r die0 die1 die2 die3 total; do
    [ "$(echo $die1)" = "1.00" ] || fail "L2 die1 shows 1.00: $die1"
    [ "$(echo $total)" = "1.00 MB/s" ] || fail "L2 total 1.00 MB/s: $total"
done <<<"$rows_l2"

# The encoded text is what reaches the terminal: no report line in plain.
expect_not_in "$OUT" "L1 Cache" "terminal output is encoded"

last=$(tail -n 1 out.txt)
case "$last" in
"Print info is saved to $PWD/perf_results/"*_nightly/perf_info.txt) ;;
*) fail "last line names the results file: $last" ;;
esac
file=${last#Print info is saved to }
[ -f "$file" ] || fail "results file exists: $file"
head -n -1 out.txt >terminal.txt
cmp -s terminal.txt "$file" || fail "results file holds the same encoded text as the terminal"

# A malformed simulation file is refused at start with its line number.
printf '4 0x04 10\n4 0x16 fast\n' >bad.txt
rm -rf perf_results
ostrum q60-2s "$PWD/bad.txt" -m bandwidth -t 1 -i 1
expect_status 1 "malformed simulation file"
expect_in "$ERR" "bad.txt:2:" "line number of the fault"
[ ! -e perf_results ] || fail "nothing is left behind for a refused start"

# A counter that cannot be opened in system-wide mode ends the run.
printf '4 0x04 10\n* * 0 cpu=0-23\n' >partial.txt
ostrum q60-2s "$PWD/partial.txt" -m bandwidth -t 1 -i 1
expect_status 1 "failed open in system-wide mode"
[ "$(printf '%s\n' "$ERR" | head -n 1)" = "Cannot open perf fd!" ] || fail "first line of the failed open: $ERR"
[ "$(printf '%s\n' "$ERR" | sed -n 2p)" = "__NR_perf_event_open: No such file or directory" ] || fail "system error line"
[ "$(printf '%s\n' "$ERR" | sed -n 3p)" = "attr.type: 4 attr.config: 22 pid: -1 cpu: 24 fd_group: -1 flag:0" ] ||
    fail "attributes line: $(printf '%s\n' "$ERR" | sed -n 3p)"

finish
