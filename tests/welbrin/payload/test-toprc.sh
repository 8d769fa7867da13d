#!/bin/bash
# The carried top's configuration: its exact bytes, and that the carried top
# reads it from the bundle and never from the administrator's own files.
# usage: test-toprc.sh <toprc> <tool archive>
set -uo pipefail
rc=${1:?toprc file}
archive=${2:?tool archive}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
ok() { echo "ok: $*"; }
bad() { echo "FAIL: $*"; fail=1; }

size=$(stat -c %s "$rc")
[ "$size" -eq 981 ] && ok "981 bytes" || bad "size $size, not 981"
crlf=$(grep -c $'\r$' "$rc")
lines=$(wc -l < "$rc")
[ "$lines" -eq 15 ] && [ "$crlf" -eq 15 ] && ok "15 lines, each ending in CR LF" || bad "$lines lines, $crlf ending in CR LF"
[ "$(tail -c 2 "$rc" | od -An -tx1 | tr -d ' \n')" = "0d0a" ] && ok "ends in CR LF" || bad "last line end is not CR LF"

# Expected lines: text, with "<hex ...>" standing for the field-list bytes.
tail='46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F 60 61 62 63 64 65 66 67 68 69 6A'
expected=(
  "top's Config File (Linux processes with windows)"
  "Id:i, Mode_altscr=0, Mode_irixps=1, Delay_time=3.0, Curwin=0"
  "Def	fieldscur=<A5 A8 B3 B4 BB BD C0 C4 B7 BA B9 C5 26 27 29 2A 2B 2C 2D 2E 2F 30 31 32 35 36 38 3C 3E 3F 41 42 43 $tail>"
  "	winflags=193844, sortindx=18, maxtasks=0, graph_cpus=0, graph_mems=0"
  "	summclr=1, msgsclr=1, headclr=3, taskclr=1"
  "Job	fieldscur=<A5 A6 B9 B7 BA 28 B3 B4 C4 BB BD 40 3C A7 C5 29 2A 2B 2C 2D 2E 2F 30 31 32 35 36 38 3E 3F 41 42 43 $tail>"
  "	winflags=193844, sortindx=0, maxtasks=0, graph_cpus=0, graph_mems=0"
  "	summclr=6, msgsclr=6, headclr=7, taskclr=6"
  "Mem	fieldscur=<A5 BA BB 3C BD BE BF C0 C1 4D 42 4E C3 44 33 34 B7 C5 26 27 28 29 2A 2B 2C 2D 2E 2F 30 31 32 35 36 38 39 46 47 48 49 4A 4B 4C 4F 50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F 60 61 62 63 64 65 66 67 68 69 6A>"
  "	winflags=193844, sortindx=21, maxtasks=0, graph_cpus=0, graph_mems=0"
  "	summclr=5, msgsclr=5, headclr=4, taskclr=5"
  "Usr	fieldscur=<A5 A6 A7 A8 AA B0 B9 B7 BA C4 C5 29 2B 2C 2D 2E 2F 31 32 33 34 35 36 38 3B 3C 3D 3E 3F 40 41 42 43 $tail>"
  "	winflags=193844, sortindx=3, maxtasks=0, graph_cpus=0, graph_mems=0"
  "	summclr=3, msgsclr=3, headclr=2, taskclr=3"
  "Fixed_widest=0, Summ_mscale=1, Task_mscale=0, Zero_suppress=0"
)
# Build the expected bytes from the table, then compare line by line in hex,
# so a wrong byte is reported with its line.
for want in "${expected[@]}"; do
    if [[ $want == *"<"*">" ]]; then
        printf '%s' "${want%%<*}"
        bytes=${want#*<}
        for b in ${bytes%>}; do printf "\\$(printf '%03o' "0x$b")"; done
        printf '\r\n'
    else
        printf '%s\r\n' "$want"
    fi
done > "$tmp/expected"
if cmp -s "$tmp/expected" "$rc"; then
    ok "every byte as listed"
else
    for i in $(seq 1 15); do
        w=$(sed -n "${i}p" "$tmp/expected" | od -An -tx1 -v | tr -d ' \n')
        g=$(sed -n "${i}p" "$rc" | od -An -tx1 -v | tr -d ' \n')
        [ "$w" = "$g" ] || bad "line $i: got $g, want $w"
    done
    bad "bytes differ from the listed configuration"
fi

# The carried top reads its configuration from the bundle: a configuration
# it cannot accept there makes it fail, the real one lets it run; while the
# administrator's own ~/.toprc and ~/.config/procps/toprc (here deliberately
# unreadable garbage) are neither read nor written.
mkdir -p "$tmp/u" "$tmp/home/.config/procps"
tar -xJf "$archive" -C "$tmp/u" || { bad "cannot unpack $archive"; exit 1; }
top=$tmp/u/WelbrinBin/bin/top
conf=$tmp/u/WelbrinBin/etc/procps/toprc
printf 'garbage\n' > "$tmp/home/.toprc"
printf 'garbage\n' > "$tmp/home/.config/procps/toprc"
cp "$tmp/home/.toprc" "$tmp/admin.before"
run_top() { HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config "$top" -b -n 1 > "$tmp/top.out" 2>&1; }

printf 'not a top configuration\r\n' > "$conf"
if run_top; then bad "top accepted a broken configuration in the bundle: it does not read $conf"; else ok "top reads the bundle's etc/procps/toprc"; fi
cp "$rc" "$conf"
if run_top && grep -q '^ *PID' "$tmp/top.out"; then ok "top runs with the carried configuration"; else bad "top fails with the carried configuration: $(head -3 "$tmp/top.out")"; fi
cmp -s "$tmp/home/.toprc" "$tmp/admin.before" && cmp -s "$tmp/home/.config/procps/toprc" "$tmp/admin.before" \
    && ok "the administrator's own top configuration is left alone" || bad "the administrator's top configuration was changed"
cmp -s "$conf" "$rc" && ok "the carried configuration is not rewritten by top" || bad "top rewrote $conf"
exit $fail
