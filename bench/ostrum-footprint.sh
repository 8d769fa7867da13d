#!/bin/bash
# Ostrum's own cost over a whole run: `ostrum -m bandwidth -t 5 -i 1 -l debug`
# system-wide on the largest fixture machine (or the one named), every
# counter counting through the simulated PMU, and the per-period footprint
# lines the debug log gives (CPU time user and system, share of one CPU,
# counters read and the wall time of the reads).
#
#   bench/ostrum-footprint.sh [ostrum-binary [fixture-machine]]
#
# The binary defaults to build/host/Ostrum/ostrum; a cross-built one runs
# through binfmt_misc or QUENDAR_EMULATOR. The figures include the cost of
# debug logging itself (every line goes to the terminal and the log file).
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
ostrum=${1:-$root/build/host/Ostrum/ostrum}
machines=$root/tests/fixtures/machines
machine=${2:-}
if [ -z "$machine" ]; then
    # The machine with the most CPUs.
    for dir in "$machines"/*/; do
        count=$(find "$dir/sys/devices/system/cpu" -maxdepth 1 -name 'cpu[0-9]*' | wc -l)
        echo "$count $(basename "$dir")"
    done | sort -n | tail -n 1 >"${TMPDIR:-/tmp}/ostrum-footprint-largest.$$"
    read -r _ machine <"${TMPDIR:-/tmp}/ostrum-footprint-largest.$$"
    rm -f "${TMPDIR:-/tmp}/ostrum-footprint-largest.$$"
fi
if [ ! -x "$ostrum" ]; then
    echo "no Ostrum program at $ostrum (build it first, or name it as the first argument)" >&2
    exit 1
fi
if [ ! -d "$machines/$machine" ]; then
    echo "no fixture machine '$machine' (choose one of: $(ls "$machines" | tr '\n' ' '))" >&2
    exit 1
fi
case "$ostrum" in /*) ;; *) ostrum=$PWD/$ostrum ;; esac

scratch=$(mktemp -d "${TMPDIR:-/tmp}/ostrum-footprint-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
echo '* * 1000000' >sim.txt

cpus=$(cat "$machines/$machine/sys/devices/system/cpu/online")
echo "machine $machine (CPUs $cpus), ostrum -m bandwidth -t 5 -i 1 -l debug, simulated PMU"
QUENDAR_SYSROOT=$machines/$machine QUENDAR_PMU_SIM=$scratch/sim.txt ${QUENDAR_EMULATOR:-} "$ostrum" \
    -m bandwidth -t 5 -i 1 -l debug >out.txt 2>err.txt
status=$?
if [ "$status" -ne 0 ]; then
    echo "ostrum ended with status $status:" >&2
    cat err.txt >&2
    exit 1
fi
lines=$(grep -o 'footprint: .*' out.txt)
if [ -z "$lines" ]; then
    echo "the run printed no footprint lines" >&2
    exit 1
fi
printf '%s\n' "$lines"
printf '%s\n' "$lines" | awk '
    { for (i = 1; i <= NF; i++) if ($i == "%") { share = substr($(i - 1), 2) + 0 }
      for (i = 1; i <= NF; i++) if ($i == "counters") { counters = $(i - 1) }
      n++; sum += share; if (share > max) max = share }
    END { printf "periods %d, counters read per period %s, own CPU time per period: mean %.3f %%, max %.3f %% of one CPU\n", n, counters, sum / n, max }'
