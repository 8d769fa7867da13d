#!/bin/bash
# Measuring real processes of the running kernel against the Q60 fixture:
# -p, -K, a process that ends during the run, and -e.
. "$(dirname "$0")/e2e-lib.sh"

# Every counter of a measured thread counts a million events per second.
printf '* * 1000000\n' >sim.txt

sleep 60 &
target=$!

ostrum q60-2s "$PWD/sim.txt" -m bandwidth -t 1 -i 1 -c 0-3 -p "$target"
expect_status 0 "-p on a running process"
expect_in "$OUT" "pid: $target" "pid line"
expect_in "$OUT" "process: sleep 60 " "process line"
file=$(tail -n 1 out.txt)
file=${file#Print info is saved to }
expect_in "$(cat "$file")" "pid: $target" "pid line in the results file"
expect_in "$(cat "$file")" "process:sleep 60 " "process line in the results file"
l1=$(decode out.txt | grep -m1 '^L1 Cache  BW :')
expect_not_in "$l1" "|     0.00      |  0.00 MB/s" "the process's thread is counted"

# -K: a keyword no thread name matches leaves nothing to count.
ostrum q60-2s "$PWD/sim.txt" -m bandwidth -t 1 -i 1 -c 0-3 -p "$target" -K '^sl[e]+p$'
expect_status 0 "-K matching the thread"
matched=$(decode out.txt | grep -m1 '^L1 Cache  BW :' | awk -F'|' '{print $NF}')
ostrum q60-2s "$PWD/sim.txt" -m bandwidth -t 1 -i 1 -c 0-3 -p "$target" -K 'no-such-thread'
expect_status 0 "-K matching no thread"
unmatched=$(decode out.txt | grep -m1 '^L1 Cache  BW :' | awk -F'|' '{print $NF}')
[ "$(echo $unmatched)" = "0.00 MB/s" ] || fail "no matching thread counts nothing: $unmatched"
[ "$(echo $matched)" != "0.00 MB/s" ] || fail "the matching thread is counted: $matched"
kill "$target"
wait "$target" 2>/dev/null

# A process that ends during the run: the periods stop, one line says so,
# the average of the periods measured follows.
sleep 2.5 &
short=$!
ostrum q60-2s "$PWD/sim.txt" -m bandwidth -t 20 -i 1 -c 0-3 -p "$short"
expect_status 0 "process ending mid-run"
expect_in "$OUT" "The measured process $short has ended" "one line about the ended process"
[ "$(grep -c 'has ended' out.txt)" -eq 1 ] || fail "said once"
expect_not_in "$OUT" "       19 Times" "no stale periods after the end"
expect_in "$OUT" "Total Average" "average still printed"
expect_in "$(tail -n 1 out.txt)" "Print info is saved to " "results path printed"
wait "$short" 2>/dev/null

# -e starts the command and measures it; words after -e belong to it.
ostrum q60-2s "$PWD/sim.txt" -m bandwidth -t 1 -i 1 -c 0-1 -e sleep 3
expect_status 0 "-e with a command"
expect_in "$OUT" "process: sleep 3 " "the started command is measured"
pid=$(sed -n 's/^pid: //p' out.txt | head -n 1)
[ -n "$pid" ] || fail "pid of the started command printed"

finish
