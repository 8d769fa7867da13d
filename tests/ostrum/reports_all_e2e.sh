#!/usr/bin/env bash
# Mode "all" prints the reports in their order, with the figures the rates
# of the simulated PMU imply: two columns joined by " | " on a machine of
# two dies, one column on a machine of eight.

source "$(dirname "$0")/reports_common.sh"

# q60-1s2d: one socket, two dies of CPUs 0-3 and 4-7. Uncore devices: SCCL 1
# has L3 units of type 61, 62, 70 and DDR controllers 63, 64; SCCL 3 has L3
# units 66, 67 and DDR controllers 68, 69. One L3 count is 64 bytes and
# 16384000 a second make 1000 MB/s; one DDR count is 32 bytes.
rules='61 0x02 16384000
62 0x02 16384000
70 0x02 16384000
66 0x02 16384000
63 0x01 32768000
68 0x01 65536000
69 0x00 32768000
4 0x03 1000000 cpu=0-3
4 0x03 3000000 cpu=4-7
4 0x04 10000000
4 0x600e 10000000
4 0x6055 2500000
4 0x6059 1000000 cpu=0-3
4 0x6060 1000000 cpu=4-7
4 0x605a 2000000
4 0x607f 3000000
4 0x6080 5000000
4 0x6083 1000000
4 0x6084 1000000
4 0x6013 10000000
4 0x5033 2500000
* * 0'

run_ostrum q60-1s2d "$rules" -m all -t 1 -i 1 -c 0-7
[ "$status" -eq 0 ] || fail "ostrum -m all exited with $status"
first=$(sed -n '1,/Total Average/p' <<< "$out")
left=$(left_column "$first")

# Two columns: each report's title shares its line with the top-down column.
title_line=$(grep -F -m1 "Cache and DDR Bandwidth (pid: -1 cpu: 0-7)" <<< "$first")
case "$title_line" in
    *"     | "*"Top-down Analysis Summary (pid: -1 cpu: 0-7)"*) ;;
    *) fail "the first report line does not join the top-down column: '$title_line'" ;;
esac
[ "${title_line:102:3}" = " | " ] || fail "the columns are not joined at column 103"

# The reports in order.
previous=0
for title in "Cache and DDR Bandwidth (pid: -1 cpu: 0-7)" \
             "L3Cache and DDR bandwidth only for cpu 0-7 and user,kernel,hypervisor" \
             "Cache and TLB Miss Ratio (pid: -1 cpu: 0-7)" \
             "Cache and DDR Hit Ratio (pid: -1 cpu: 0-7)" \
             "Prefetch Hit Rate Evaluation (pid: -1 cpu: 0-7)"; do
    n=$(line_of "$left" "$title")
    [ "$n" -gt "$previous" ] || fail "'$title' missing or out of order (line $n after $previous)"
    previous=$n
done

# L3 and DDR: SCCL 1 sums its three L3 units.
expect_cells "$left" "L3 Cache  BW :" "3000.00;1000.00;4000.00 MB/s"
expect_cells "$left" "DDR RD    BW :" "1000.00;2000.00;3000.00 MB/s"
expect_cells "$left" "DDR WR    BW :" "0.00;1000.00;1000.00 MB/s"
expect_cells "$left" "DDR TOTAL BW :" "1000.00;3000.00;4000.00 MB/s"
# L1D misses 4e6 on die 0 and 12e6 on die 1 over 8e7 references; no other
# reference counted: 0 / 0
expect_cells "$left" "L1D Cache Miss:" "5.00%;15.00%;20.00%"
expect_cells "$left" "L1I Cache Miss:" "nan%;nan%;nan%"
# L2: 2e7 remote of 8e7 hits. DDR: 4e6 local on each die, 16e6 remote-die;
# the last cell (the count) is left out.
expect_cells "$left" "L2 Hit Local  Cluster :" "37.50%;37.50%;75.00%" 1
expect_cells "$left" "L2 Hit Remote Cluster :" "12.50%;12.50%;25.00%" 1
expect_cells "$left" "DDR Access Local  Die :" "16.67%;16.67%;33.33%" 1
expect_cells "$left" "DDR Access Remote Die :" "33.33%;33.33%;66.67%" 1
expect_cells "$left" "L3 Hit Local  Cluster :" "nan%;nan%;nan%;0"
# Prefetch: good 8e6 of 1e7 a CPU, L1D-miss prefetches a quarter of requests
expect_cells "$left" "L1D Cache Miss Prefetch :" "12.50%;12.50%;25.00%" 1
expect_cells "$left" "SMS Good Prefetch :" "15.00%;15.00%;30.00%" 1
expect_cells "$left" "MOP Good Prefetch :" "25.00%;25.00%;50.00%" 1
expect_cells "$left" "Total Good Prefetch :" "40.00%;40.00%;80.00%" 1
grep -qF "Suggestion: Set CPU prefetch enable is good for performance" <<< "$left" ||
    fail "no prefetch suggestion"

# The results file holds the same report.
saved=$(ls "$rundir"/perf_results/*/perf_info.txt 2>/dev/null | head -1)
if [ -z "$saved" ]; then
    fail "no perf_info.txt"
else
    saved_left=$(left_column "$("$OSTRUM_DECODE" "$saved")")
    expect_cells "$saved_left" "L3 Cache  BW :" "3000.00;1000.00;4000.00 MB/s"
    expect_cells "$saved_left" "Total Good Prefetch :" "40.00%;40.00%;80.00%" 1
fi

# q60-8die: two sockets of four dies of two CPUs; one L3 unit and one DDR
# controller per SCCL, types from 80: SCCL s at position i has hha2 80+3i,
# l3c0 81+3i, ddrc0 82+3i.
rules8='81 0x02 16384000
84 0x02 32768000
102 0x02 65536000
4 0x03 1000000 cpu=0-1
4 0x04 10000000
* * 0'
run_ostrum q60-8die "$rules8" -m all -t 1 -i 1 -c 0-15
[ "$status" -eq 0 ] || fail "ostrum -m all on eight dies exited with $status"
first=$(sed -n '1,/Total Average/p' <<< "$out")
if grep -qF " | " <<< "$(grep -F "Cache and DDR Bandwidth" <<< "$first")"; then
    fail "eight dies: the reports are not in one column"
fi
previous=0
for title in "Cache and DDR Bandwidth (pid: -1 cpu: 0-15)" \
             "Cache and TLB Miss Ratio (pid: -1 cpu: 0-15)" \
             "Cache and DDR Hit Ratio (pid: -1 cpu: 0-15)" \
             "Prefetch Hit Rate Evaluation (pid: -1 cpu: 0-15)" \
             "Top-down Analysis Summary (pid: -1 cpu: 0-15)"; do
    n=$(line_of "$first" "$title")
    [ "$n" -gt "$previous" ] || fail "eight dies: '$title' missing or out of order (line $n after $previous)"
    previous=$n
done
expect_cells "$first" "L3 Cache  BW :" "1000.00;2000.00;0.00;0.00;0.00;0.00;0.00;4000.00;7000.00 MB/s"
# 2e6 misses on die 0 over 1.6e8 references
expect_cells "$first" "L1D Cache Miss:" "1.25%;0.00%;0.00%;0.00%;0.00%;0.00%;0.00%;0.00%;1.25%"
die_header=$(grep -m1 -E "^ +Die0 +\| +Die1 +\| +Die2 +\| +Die3 +\| +Die0 +\| +Die1 +\| +Die2 +\| +Die3 +\|$" <<< "$first")
[ -n "$die_header" ] || fail "eight dies: no die header Die0..Die3 twice"

finish
