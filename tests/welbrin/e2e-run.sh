#!/bin/bash
# A short real collection over the whole system: the output directory must
# hold every result file in the block format, the perf statistics, both perf
# recordings and reports and both flame graphs with real frames.
set -u
welbrin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e-lib.sh"
seconds=2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A working directory whose name needs quoting in every command.
work="$scratch/it's a run"
mkdir -p "$work"
cd "$work"
ls -d /tmp/welbrin_* 2>/dev/null | sort >"$scratch/tmp-before"

# -l info also echoes every command and its output through the log.
"$welbrin" -t $seconds -k ci -l info >"$scratch/out" 2>&1
status=$?
[ $status -eq 0 ] || fail "status $status"
dir=$(closing_dir "$scratch/out")
[ -n "$dir" ] || fail "no closing line"
tail -n 1 "$scratch/out" | grep -q "Collect info saved to: $dir\$" || fail "closing line is not the last"
case $dir in "$work"/welbrin_*_ci) ;; *) fail "output directory $dir not in $work or without keyword" ;; esac
[ -d "$dir" ] || { fail "no output directory"; finish; }

grep -q ' | INFO  : shell cmd: .*pidstat -h -r -u -w -R -d -t' "$scratch/out" || fail "-l info: commands not echoed"
cores=$(getconf _NPROCESSORS_CONF)
for line in "Collect time: $seconds s" "Output keyword: ci" "Process pid: -1" "Cpu list: 0-$((cores - 1))"; do
    grep -qF "INFO  : $line" "$scratch/out" || fail "parameter line '$line'"
done

results="pidstat.txt numastat.txt system_cpu_load.txt system_top.txt system_interrupts.txt memory_load.txt
 memory_meminfo.txt disk_iostat.txt disk_lsblk.txt disk_df.txt disk_swap_pressure.txt network_sar.txt
 network_eth_devices.txt network_sockets.txt perf_stat.txt perfg_On-CPU_report.txt perfg_On-CPU_record.txt
 perfg_On-CPU_flamegraph.txt perfg_Off-CPU_report.txt perfg_Off-CPU_record.txt perfg_Off-CPU_flamegraph.txt"
for f in $results; do
    [ -f "$dir/$f" ] || { fail "missing $f"; continue; }
    is_block_file "$dir/$f" || fail "$f is not in the block format"
done
for f in perfg_On-CPU.data perfg_Off-CPU.data; do
    [ -s "$dir/$f" ] || fail "$f missing or empty"
done

# The load samples cover the collection time.
[ "$(sed -n 2p "$dir/pidstat.txt")" = ">>>>>>>>>>pidstat -h -r -u -w -R -d -t   1 $seconds" ] || fail "pidstat command"
[ "$(grep -c '^#' "$dir/pidstat.txt")" -ge $seconds ] || fail "pidstat samples"
grep -q "sleep $seconds ;" "$dir/numastat.txt" || fail "numastat interval"
# (The command itself holds these titles too, but not as whole lines.)
[ "$(grep -cxE -- '------------ numastat (before|after): ------------' "$dir/numastat.txt")" -eq 2 ] || fail "numastat snapshots"
last_title=$(grep -nx -- '------------ [a-z :]*------------' "$dir/numastat.txt" | tail -n 1)
[ "${last_title#*:}" = "------------ diff ------------" ] || fail "numastat does not end with the diff section"
for f in system_cpu_load.txt memory_load.txt; do
    [ "$(grep -c '^>>>>[0-9]' "$dir/$f")" -eq $seconds ] || fail "$f: want $seconds time stamps"
done
grep -q '%idle' "$dir/system_cpu_load.txt" || fail "per-CPU utilisation"
grep -q 'aqu-sz' "$dir/disk_iostat.txt" || fail "device queue depth"
grep -q 'IFACE' "$dir/network_sar.txt" || fail "interface throughput"
grep -q 'TCP:' "$dir/network_sockets.txt" || fail "socket summary"
if command -v lspci >/dev/null && lspci | grep -qi eth; then
    grep -qi 'ethernet' "$dir/network_eth_devices.txt" || fail "Ethernet device listing"
fi

grep -q "Performance counter stats for 'system wide'" "$dir/perf_stat.txt" || fail "perf stat block"
grep -q 'perf_exec=' "$dir/perf_stat.txt" && fail "perf selection prefix shown in perf_stat.txt"
record=$(sed -n 2p "$dir/perfg_On-CPU_record.txt")
case $record in
*"timeout $((seconds + 10)) \${perf_exec} record -C 0-$((cores - 1)) -F 100 -g -o "*"-- sleep $seconds"*) ;;
*) fail "on-CPU record command: $record" ;;
esac
for f in perfg_On-CPU_report.txt perfg_Off-CPU_report.txt; do
    grep -q '^# captured on' "$dir/$f" || fail "$f has no header"
    grep -q '^# Samples' "$dir/$f" || fail "$f has no samples"
done

# Flame graphs: titled, and drawn from real frames (not only the root).
svg_frames() { grep -o '<title>[^<]*samples' "$1" | grep -vc '<title>all '; }
check "on-CPU svg" grep -q '<svg' "$dir/perfg_On-CPU.svg"
check "on-CPU title" grep -q 'On-CPU Time Flame Graph' "$dir/perfg_On-CPU.svg"
[ "$(svg_frames "$dir/perfg_On-CPU.svg")" -ge 3 ] || fail "on-CPU flame graph has no frames"
check "off-CPU svg" grep -q '<svg' "$dir/perfg_Off-CPU.svg"
check "off-CPU title" grep -q 'Off-CPU Time Flame Graph' "$dir/perfg_Off-CPU.svg"
check "off-CPU scheduler frames" grep -q 'schedule' "$dir/perfg_Off-CPU.svg"
# The io palette's background tells the off-CPU graph from the on-CPU one.
check "off-CPU io palette" grep -q 'stop-color="#f8f8f8"' "$dir/perfg_Off-CPU.svg"
grep -q 'stop-color="#f8f8f8"' "$dir/perfg_On-CPU.svg" && fail "on-CPU graph in the io palette"

# The kernel's missing scheduler tracepoints are named, the others recorded.
events=/sys/kernel/tracing/available_events
if [ -r $events ] && ! grep -qx 'sched:sched_stat_sleep' $events; then
    grep -q 'WARN  : .*sched:sched_stat_sleep' "$scratch/out" || fail "missing tracepoint not reported"
    grep -q 'sched_stat_sleep' "$dir/perfg_Off-CPU_record.txt" && fail "off-CPU recording asks for a missing tracepoint"
fi
grep -q -- '-e sched:sched_switch' "$dir/perfg_Off-CPU_record.txt" || fail "off-CPU recording without sched_switch"

# The tools stay in /tmp; the flame-graph tasks' working files do not.
tools="top iostat sar sadf sadc sa1 sa2 pidstat mpstat vmstat cifsiostat numastat_x86_64 perf_static_x86_64
 flamegraph.pl stackcollapse-perf.pl"
for t in $tools; do
    [ -x "/tmp/WelbrinBin/bin/$t" ] || fail "tool $t not installed"
done
toprc=/tmp/WelbrinBin/etc/procps/toprc
[ "$(stat -c %s $toprc 2>/dev/null)" = 981 ] || fail "top configuration size"
[ "$(grep -c $'\r$' $toprc)" -eq 15 ] || fail "top configuration lines"
if [ -n "${WELBRIN_TOPRC:-}" ]; then
    cmp -s "$WELBRIN_TOPRC" $toprc || fail "top configuration differs from the carried one"
fi
[ -x /tmp/async-profiler-3.0-linux-x64/bin/asprof ] || fail "Java profiler not installed"
ls -d /tmp/welbrin_* 2>/dev/null | sort >"$scratch/tmp-after"
# Only directories that appeared count: other tests running meanwhile may
# remove their own.
left=$(comm -13 "$scratch/tmp-before" "$scratch/tmp-after")
[ -z "$left" ] || fail "working directories left in /tmp: $left"
finish
