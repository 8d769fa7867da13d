#!/bin/bash
# Assembles Welbrin's tool archive: an xz-compressed tar whose top directory is
# WelbrinBin/, holding in bin/ the fifteen tools Welbrin runs.
#
# The binary tools are taken from the build machine's Debian packages
# (sysstat, procps, numactl, linux-perf). Debian links them dynamically, so
# each one travels with every shared library it loads and with the dynamic
# loader (WelbrinBin/lib), the real executable in WelbrinBin/libexec, and a
# static launcher in WelbrinBin/bin under the tool's name that starts it
# through the carried loader. A directory of statically built tools, when
# given, supplies the tools it holds directly in bin/ instead.
#
# The archive is reproducible: sorted members, fixed owner root:root, fixed
# time stamps, fixed compression settings.
set -euo pipefail

usage() {
    echo "usage: bundle-tools.sh --out <archive.tar.xz> --work <dir> --launcher <static launcher>" \
         "--stackcollapse <stackcollapse-perf.pl> [--flamegraph <flamegraph.pl>] [--static-dir <dir>]" >&2
    exit 2
}

die() { echo "bundle-tools.sh: $*" >&2; exit 1; }

out="" work="" launcher="" stackcollapse="" flamegraph="" staticdir=""
while [ $# -gt 0 ]; do
    case "$1" in
        --out) out=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        --launcher) launcher=$2; shift 2 ;;
        --stackcollapse) stackcollapse=$2; shift 2 ;;
        --flamegraph) flamegraph=$2; shift 2 ;;
        --static-dir) staticdir=$2; shift 2 ;;
        *) usage ;;
    esac
done
[ -n "$out" ] && [ -n "$work" ] && [ -n "$launcher" ] && [ -n "$stackcollapse" ] || usage
[ -x "$launcher" ] || die "launcher $launcher is not an executable file"
[ -f "$stackcollapse" ] || die "stackcollapse script $stackcollapse not found"
if [ -z "$flamegraph" ]; then
    flamegraph=/usr/share/perl5/Devel/NYTProf/flamegraph.pl
fi
[ -f "$flamegraph" ] || die "flamegraph.pl not found at $flamegraph (Debian package libdevel-nytprof-perl)"
if [ -n "$staticdir" ] && [ ! -d "$staticdir" ]; then
    die "directory of static tools $staticdir does not exist"
fi

# Archive member name, then the places Debian (and other distributions) put
# the program. perf is looked up separately.
tools=(
    "top          /usr/bin/top /bin/top"
    "iostat       /usr/bin/iostat"
    "sar          /usr/bin/sar.sysstat /usr/bin/sar"
    "sadf         /usr/bin/sadf"
    "sadc         /usr/lib/sysstat/sadc /usr/libexec/sysstat/sadc /usr/lib64/sa/sadc /usr/lib/sa/sadc"
    "sa1          /usr/lib/sysstat/sa1 /usr/libexec/sysstat/sa1 /usr/lib64/sa/sa1 /usr/lib/sa/sa1"
    "sa2          /usr/lib/sysstat/sa2 /usr/libexec/sysstat/sa2 /usr/lib64/sa/sa2 /usr/lib/sa/sa2"
    "pidstat      /usr/bin/pidstat"
    "mpstat       /usr/bin/mpstat"
    "vmstat       /usr/bin/vmstat /bin/vmstat"
    "cifsiostat   /usr/bin/cifsiostat"
    "numastat_x86_64 /usr/bin/numastat"
    "perf_static_x86_64 @perf"
)

is_elf() { [ "$(od -An -tx1 -N4 "$1" 2>/dev/null | tr -d ' \n')" = "7f454c46" ]; }
is_dynamic() { readelf -l "$1" 2>/dev/null | grep -q 'Requesting program interpreter'; }

# The kernel's perf: Debian has shipped it as /usr/bin/perf and, in older
# releases, as /usr/bin/perf_<version> behind a wrapper script; Ubuntu keeps
# it under /usr/lib/linux-tools*. Take the newest real ELF program, never a
# wrapper and never a guess from the running kernel's version.
find_perf() {
    local c best=""
    while read -r c; do
        if [ -f "$c" ] && is_elf "$c"; then best=$c; fi
    done < <(ls -d /usr/bin/perf_[0-9]* /usr/lib/linux-tools*/perf /usr/lib/linux-tools/*/perf 2>/dev/null | sort -V)
    if [ -z "$best" ] && [ -f /usr/bin/perf ] && is_elf /usr/bin/perf; then
        best=/usr/bin/perf
    fi
    [ -n "$best" ] && readlink -f "$best"
}

locate() {
    local name=$1; shift
    local c
    if [ "$1" = "@perf" ]; then
        find_perf || return 1
        return 0
    fi
    for c in "$@"; do
        if [ -f "$c" ]; then readlink -f "$c"; return 0; fi
    done
    return 1
}

stage="$work/stage"
root="$stage/WelbrinBin"
rm -rf "$stage"
mkdir -p "$root/bin" "$root/lib" "$root/libexec" "$root/etc/procps"
manifest="$root/MANIFEST"
: > "$manifest"

origin() {
    local pkg
    if command -v dpkg-query >/dev/null 2>&1 && pkg=$(dpkg-query -S "$1" 2>/dev/null | grep -v "^diversion" | head -n 1 | cut -d: -f1); then
        echo "$pkg $(dpkg-query -W -f='${Version}' "$pkg" 2>/dev/null)"
    else
        echo "unpackaged"
    fi
}

loader=""
bundle_libraries() {
    local bin=$1 line name path interp
    interp=$(readelf -l "$bin" | sed -n 's/.*Requesting program interpreter: \(.*\)]/\1/p')
    [ -n "$interp" ] || die "$bin has no program interpreter"
    # The launcher starts every tool through lib/ld-linux-x86-64.so.2.
    [ "$(basename "$interp")" = "ld-linux-x86-64.so.2" ] || die "$bin wants loader $interp, not an x86-64 ld-linux"
    if [ -z "$loader" ]; then
        loader=$interp
        cp -L "$interp" "$root/lib/$(basename "$interp")"
    elif [ "$interp" != "$loader" ]; then
        die "$bin wants loader $interp, others use $loader"
    fi
    # The loader itself resolves the dependencies exactly as it will at run
    # time; any "not found" is fatal, a bundle with holes is no bundle.
    while read -r line; do
        case "$line" in
            *"=> not found"*) die "$bin: library ${line%% *} not found on the build machine" ;;
            *" => "/*)
                name=${line%% =>*}
                path=${line#*=> }; path=${path% (*}
                [ -e "$root/lib/$name" ] || cp -L "$path" "$root/lib/$name" ;;
        esac
    done < <("$interp" --list "$bin")
}

# sar starts its data collector from the path compiled into it (Debian:
# /usr/lib/sysstat/sadc), which a machine without sysstat lacks, and does not
# fall back to the search path. The carried sar is pointed at
# /tmp/WelbrinBin/sadc instead, a link to the carried sadc: the path is
# rewritten in place, padded with NUL bytes, which needs the new path to be no
# longer than the old one.
carried_sadc=/tmp/WelbrinBin/sadc
relocate_sadc() {
    local bin=$1 old
    old=$(grep -a -o -E '/[A-Za-z0-9/._-]*/sadc' "$bin" | head -n 1 || true)
    [ -n "$old" ] || die "$bin: no data collector path found to point at the carried sadc"
    [ ${#carried_sadc} -le ${#old} ] || die "$bin: its sadc path $old is shorter than $carried_sadc"
    OLD=$old NEW=$carried_sadc perl -0777 -pi -e '
        my ($o, $n) = ($ENV{OLD}, $ENV{NEW});
        my $pad = $n . ("\0" x (length($o) - length($n)));
        my $count = s/\Q$o\E(?=\0)/$pad/g;
        die "no NUL-terminated $o\n" unless $count;
    ' "$bin" || die "$bin: cannot rewrite its sadc path"
    ln -s bin/sadc "$root/sadc"
    echo "sar: data collector path $old rewritten to $carried_sadc" >> "$manifest"
}

for entry in "${tools[@]}"; do
    read -r name candidates <<< "$entry"
    if [ -n "$staticdir" ] && [ -f "$staticdir/$name" ]; then
        src="$staticdir/$name"
        if is_elf "$src" && is_dynamic "$src"; then
            die "$src is dynamically linked; the directory of static tools must hold static programs"
        fi
        cp "$src" "$root/bin/$name"
        echo "$name: static, from $src" >> "$manifest"
        continue
    fi
    # shellcheck disable=SC2086
    src=$(locate "$name" $candidates) || die "no $name on the build machine (install sysstat, procps, numactl, linux-perf)"
    if is_elf "$src"; then
        is_dynamic "$src" || { cp "$src" "$root/bin/$name"; echo "$name: $src ($(origin "$src"))" >> "$manifest"; continue; }
        cp "$src" "$root/libexec/$name"
        bundle_libraries "$src"
        if [ "$name" = "sar" ]; then
            relocate_sadc "$root/libexec/sar"
        fi
        # A copy, not a hard link: every member of bin/ is a regular file.
        cp "$launcher" "$root/bin/$name"
    else
        # sysstat's sa1 and sa2 call sadc and sadf from a fixed directory;
        # the carried copies call the ones beside them.
        sed 's|^ENDIR=.*$|ENDIR=$(cd "$(dirname "$0")" \&\& pwd)|' "$src" > "$root/bin/$name"
    fi
    echo "$name: $src ($(origin "$src"))" >> "$manifest"
done
cp "$flamegraph" "$root/bin/flamegraph.pl"
echo "flamegraph.pl: $flamegraph ($(origin "$flamegraph"))" >> "$manifest"
cp "$stackcollapse" "$root/bin/stackcollapse-perf.pl"
echo "stackcollapse-perf.pl: Welbrin's own" >> "$manifest"

chmod 0755 "$root" "$root/bin" "$root/lib" "$root/libexec" "$root/etc" "$root/etc/procps" \
    "$root"/bin/* "$root"/libexec/* 2>/dev/null || true
find "$root/lib" -type f -exec chmod 0644 {} +
[ -z "$loader" ] || chmod 0755 "$root/lib/$(basename "$loader")"
chmod 0644 "$manifest"

mtime=${SOURCE_DATE_EPOCH:-0}
tmp="$out.tmp.$$"
trap 'rm -f "$tmp"' EXIT
tar --sort=name --format=gnu --owner=0 --group=0 --numeric-owner --mtime="@$mtime" \
    -C "$stage" -cf - WelbrinBin | xz -3 -T2 --block-size=16MiB -c > "$tmp"
mv "$tmp" "$out"
trap - EXIT
