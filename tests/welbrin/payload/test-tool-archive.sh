#!/bin/bash
# Welbrin's tool archive: its members, and that every unpacked tool runs with
# the libraries and loader of the bundle only, never the machine's.
# usage: test-tool-archive.sh <WelbrinBin.tar.xz>
# Exit status 77 (skipped) when not run as root: the isolation check needs a
# private mount namespace and the real unpacking place is /tmp/WelbrinBin.
set -uo pipefail
archive=${1:?tool archive}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
ok() { echo "ok: $*"; }
bad() { echo "FAIL: $*"; fail=1; }

# tool | arguments that make it print its version and end | text expected.
tools=(
    "top|-V|procps-ng"
    "vmstat|-V|procps-ng"
    "iostat|-V|sysstat"
    "sar|-V|sysstat"
    "sadf|-V|sysstat"
    "sadc|-V|sysstat"
    "pidstat|-V|sysstat"
    "mpstat|-V|sysstat"
    "cifsiostat|-V|sysstat"
    "numastat_x86_64|-V|version"
    "perf_static_x86_64|--version|perf"
)
# Runs that start other carried programs: sar starts sadc.
runs=(
    "sar|-u 1 1|Average"
)
members="top iostat sar sadf sadc sa1 sa2 pidstat mpstat vmstat cifsiostat numastat_x86_64 perf_static_x86_64 flamegraph.pl stackcollapse-perf.pl"

[ "$(od -An -tx1 -N6 "$archive" | tr -d ' \n')" = "fd377a585a00" ] && ok "xz magic" || bad "not an xz file"
tar --numeric-owner -tvJf "$archive" > "$tmp/list" || { bad "cannot list $archive"; exit 1; }
for m in $members; do
    line=$(awk -v m="WelbrinBin/bin/$m" '$6 == m' "$tmp/list")
    if [ -z "$line" ]; then bad "no member WelbrinBin/bin/$m"; continue; fi
    set -- $line
    [ "$1" = "-rwxr-xr-x" ] && [ "$2" = "0/0" ] || bad "WelbrinBin/bin/$m is $1 $2, not a regular -rwxr-xr-x 0/0 file"
done
extra=$(awk '$6 ~ /^WelbrinBin\/bin\/./ {sub("WelbrinBin/bin/", "", $6); print $6}' "$tmp/list" | grep -v -x -F "$(echo $members | tr ' ' '\n')")
[ -z "$extra" ] && ok "the 15 tools in WelbrinBin/bin, rwxr-xr-x root:root" || bad "unexpected members in bin/: $extra"
awk '{print $6}' "$tmp/list" | grep -v -q '^WelbrinBin/' && bad "members outside WelbrinBin/"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: needs root (mount namespace, /tmp/WelbrinBin)"
    exit 77
fi

# Every loaded object, as the loader reports it, lies inside the bundle.
check_loads() {
    local root=$1 where=$2 entry name args want out objs outside
    shift 2
    for entry in "$@"; do
        IFS='|' read -r name args want <<< "$entry"
        # shellcheck disable=SC2086
        out=$(cd "$tmp" && LD_DEBUG=libs "$root/bin/$name" $args 2>&1)
        objs=$(echo "$out" | sed -n 's/.*calling init: //p')
        if ! echo "$out" | grep -q -i -- "$want"; then bad "$where: $name $args does not run: $(echo "$out" | grep -v 'calling\|file=\|search\|trying\|find library' | head -2)"; continue; fi
        [ -n "$objs" ] || { bad "$where: $name: the loader reported no objects (LD_DEBUG lost by the launcher?)"; continue; }
        outside=$(echo "$objs" | grep -v "^$root/lib/")
        [ -z "$outside" ] || bad "$where: $name loads from outside the bundle: $outside"
    done
}

mkdir -p "$tmp/u"
tar -xJf "$archive" -C "$tmp/u" || { bad "cannot unpack"; exit 1; }
check_loads "$tmp/u/WelbrinBin" "unpacked in $tmp/u" "${tools[@]}"
[ -d "$tmp/u/WelbrinBin/etc/procps" ] && ok "etc/procps for the carried top's configuration" || bad "no WelbrinBin/etc/procps"
for s in sa1 sa2; do
    grep -q '^ENDIR=$(cd "$(dirname "$0")" && pwd)$' "$tmp/u/WelbrinBin/bin/$s" \
        && ok "$s calls the sysstat programs beside it" || bad "$s calls sysstat programs outside the bundle"
done

# As a Welbrin run does: unpacked over /tmp, twice (a second run replaces the files).
tar -xJf "$archive" -C /tmp && tar -xJf "$archive" -C /tmp || bad "cannot unpack into /tmp twice"
# sar's collector is the one at the fixed place, so sar runs only from there.
check_loads /tmp/WelbrinBin "unpacked in /tmp" "${tools[@]}" "${runs[@]}"
[ $fail -eq 0 ] && ok "every tool loads only the bundle's libraries"

# With the machine's own library directories hidden (an empty directory
# mounted over each in a private mount namespace), a launcher that fell back
# to the system's libraries or loader could not start its tool.
libdirs=""
for d in /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu /usr/lib64 /lib64 /usr/lib /lib; do
    [ -d "$d" ] && libdirs="$libdirs $(readlink -f "$d")"
done
mkdir -p "$tmp/empty"
# Once the directories are hidden no dynamically linked program starts, so
# one perl process, loaded before, mounts them (mount(2) with MS_BIND) and
# starts the tools itself.
cat > "$tmp/hidden.pl" <<'IN'
my ($root, $empty, $results, @dirs) = @ARGV;
my @tools = split /\n/, $ENV{TOOLS};
for my $d (@dirs) {
    syscall(165, $empty, $d, 0, 4096, 0) == 0 or do { print STDERR "mount $d: $!\n"; exit 3 };
}
sub run {
    my ($out, @cmd) = @_;
    my $pid = fork();
    if ($pid == 0) {
        open(STDOUT, '>', $out); open(STDERR, '>&', \*STDOUT);
        exec { $cmd[0] } @cmd; exit 127;
    }
    waitpid($pid, 0);
    return $? >> 8;
}
# The control: the machine's own vmstat cannot start now.
exit 4 if run("$results.control", '/usr/bin/vmstat', '-V') == 0;
open(my $r, '>', $results) or exit 5;
for my $i (0 .. $#tools) {
    my ($name, $args) = split /\|/, $tools[$i];
    print $r "$i ", run("$results.$i", "$root/bin/$name", split(' ', $args)), "\n";
}
close $r;
exit 0;
IN
LIBDIRS=$(echo $libdirs | tr ' ' '\n' | sort -u -r)   # deepest first
if ! unshare -m true 2>/dev/null; then
    echo "SKIP: no private mount namespace here"; exit 77
fi
# shellcheck disable=SC2086
TOOLS=$(printf '%s\n' "${tools[@]}" "${runs[@]}") unshare -m --propagation private perl "$tmp/hidden.pl" /tmp/WelbrinBin "$tmp/empty" "$tmp/hidden" $LIBDIRS > "$tmp/hidden.err" 2>&1
case $? in
    0) ;;
    3) bad "cannot hide the system's library directories: $(cat "$tmp/hidden.err")" ;;
    4) bad "the system's vmstat still runs with its libraries hidden: the check is void" ;;
    *) bad "the hidden-libraries run failed: $(cat "$tmp/hidden.err")" ;;
esac
i=0
for entry in "${tools[@]}" "${runs[@]}"; do
    IFS='|' read -r name args want <<< "$entry"
    if grep -q -x "$i 0" "$tmp/hidden" && grep -q -i -- "$want" "$tmp/hidden.$i"; then :; else
        bad "$name $args does not run with the system's libraries hidden: $(head -2 "$tmp/hidden.$i" 2>/dev/null)"
    fi
    i=$((i + 1))
done
[ $fail -eq 0 ] && ok "every tool runs with the system's libraries hidden"

# The carried perf records and reports, and the program it starts is not
# handed the bundle's libraries.
p=/tmp/WelbrinBin/bin/perf_static_x86_64
if "$p" record -e cpu-clock -g -o "$tmp/perf.data" -- sh -c 'env > '"$tmp"'/child.env; i=0; while [ $i -lt 20000 ]; do i=$((i+1)); done' > "$tmp/rec.out" 2>&1 \
   && "$p" script -i "$tmp/perf.data" > "$tmp/script.out" 2>&1 && grep -q -P '^\t' "$tmp/script.out"; then
    ok "perf records call graphs and scripts them"
else
    bad "perf cannot record or script: $(tail -2 "$tmp/rec.out" "$tmp/script.out")"
fi
grep -q 'WelbrinBin/lib' "$tmp/child.env" 2>/dev/null && bad "perf's child inherits the bundle's library path"

# The carried scripts turn that recording into a flame graph, as Welbrin's
# on-CPU task does.
b=/tmp/WelbrinBin/bin
if perl "$b/stackcollapse-perf.pl" "$tmp/script.out" > "$tmp/folded" && grep -q '^sh;' "$tmp/folded" \
   && perl "$b/flamegraph.pl" "$tmp/folded" --title='On-CPU Time Flame Graph' > "$tmp/graph.svg" \
   && grep -q 'On-CPU Time Flame Graph' "$tmp/graph.svg" && grep -q '<title>sh ' "$tmp/graph.svg"; then
    ok "stackcollapse-perf.pl and flamegraph.pl draw the recording"
else
    bad "no flame graph from the recording: $(head -2 "$tmp/folded" "$tmp/graph.svg" 2>/dev/null)"
fi
exit $fail
