#!/bin/bash
# Benchmark of stackcollapse-perf.pl on a large recorded input: reports the
# input's size and the folding rate in lines/s and MB/s. Nothing is asserted.
#
# usage: run.sh [stackcollapse-perf.pl] [megabytes of input, default 64]
#
# The input is real `perf script` text: a system-wide call-graph recording of
# a few seconds of this machine (as root, with perf), or, where that is not
# possible, the recorded test fixture; either is repeated up to the size asked.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
script=${1:-$here/../../payload/welbrin/stackcollapse-perf.pl}
mb=${2:-64}
case "$mb" in ''|*[!0-9]*|0) echo "run.sh: size must be a whole number of megabytes above 0, not '$mb'" >&2; exit 1 ;; esac
[ -f "$script" ] || { echo "run.sh: no $script" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

seed=$tmp/seed.txt
source="recorded fixture"
if [ "$(id -u)" -eq 0 ] && command -v perf > /dev/null 2>&1 \
   && perf record -q -F 499 -g -a -e cpu-clock -o "$tmp/perf.data" -- \
        sh -c 'for j in 1 2; do ( i=0; while [ $i -lt 300000 ]; do i=$((i+1)); done ) & done; wait' > /dev/null 2>&1 \
   && perf script -i "$tmp/perf.data" > "$seed" 2> /dev/null && [ -s "$seed" ]; then
    source="system-wide recording of this machine"
else
    cp "$here/../../tests/welbrin/payload/stackcollapse/recorded-cpu-clock.perf" "$seed"
fi
input=$tmp/input.txt
target=$((mb * 1024 * 1024))
: > "$input"
while [ "$(stat -c %s "$input")" -lt "$target" ]; do cat "$seed" >> "$input"; done
bytes=$(stat -c %s "$input")
lines=$(wc -l < "$input")

# Wall time and the CPU time of the folding process (the machine may be busy).
TIMEFORMAT='%R %U %S'
times=$( { time perl "$script" "$input" > "$tmp/folded.txt"; } 2>&1 )
read -r wall user sys <<< "$times"

awk -v w="$wall" -v u="$user" -v k="$sys" -v b="$bytes" -v l="$lines" -v src="$source" -v f="$(wc -l < "$tmp/folded.txt")" 'BEGIN {
    c = u + k; if (c <= 0) c = 1e-9; if (w <= 0) w = 1e-9
    printf "stackcollapse-perf.pl: input %s, %.1f MB, %d lines, %d folded stacks\n", src, b / 1048576, l, f
    printf "wall %.2f s: %.0f lines/s, %.1f MB/s\n", w, l / w, b / 1048576 / w
    printf "cpu  %.2f s: %.0f lines/s, %.1f MB/s\n", c, l / c, b / 1048576 / c
}'
