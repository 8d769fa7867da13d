#!/bin/bash
# Welbrin's Java profiler archive: its layout, and bin/asprof against a real
# JVM (a flame graph with the hot method) and against processes that are not
# JVMs (a refusal, and no file).
# usage: test-java-profiler.sh <async-profiler archive> <directory of WelbrinHotLoop.java>
# Exit status 77 (skipped) when no JDK (java, javac, jcmd) is installed.
set -uo pipefail
archive=${1:?Java profiler archive}
src=${2:?Java sources}
tmp=$(mktemp -d)
jvm="" other=""
cleanup() {
    [ -n "$jvm" ] && kill "$jvm" 2>/dev/null
    [ -n "$other" ] && kill "$other" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail=0
ok() { echo "ok: $*"; }
bad() { echo "FAIL: $*"; fail=1; }
top=async-profiler-3.0-linux-x64

[ "$(od -An -tx1 -N3 "$archive" | tr -d ' \n')" = "1f8b08" ] && ok "gzip magic" || bad "not a gzip file"
tar --numeric-owner -tvzf "$archive" > "$tmp/list" || { bad "cannot list $archive"; exit 1; }
# member, mode
for entry in "LICENSE -rw-r--r--" "README.md -rw-r--r--" "CHANGELOG.md -rw-r--r--" \
             "lib/libasyncProfiler.so -rw-r--r--" "lib/async-profiler.jar -rw-r--r--" \
             "lib/converter.jar -rw-r--r--" "bin/asprof -rwxr-xr-x"; do
    read -r m mode <<< "$entry"
    got=$(awk -v m="$top/$m" '$6 == m {print $1}' "$tmp/list")
    [ "$got" = "$mode" ] || bad "$top/$m: mode '${got:-missing}', want $mode"
done
awk '{print $6}' "$tmp/list" | grep -v -q "^$top/" && bad "members outside $top/"
[ $fail -eq 0 ] && ok "layout of $top"
tar -xzf "$archive" -C "$tmp" || { bad "cannot unpack"; exit 1; }
asprof=$tmp/$top/bin/asprof

# Refusals: what, command, expected status, expected text on standard error.
"$asprof" -d 1 -f "$tmp/none.html" 999999999 > /dev/null 2> "$tmp/err"; s=$?
[ $s -ne 0 ] && grep -q "process 999999999 not found" "$tmp/err" && [ ! -e "$tmp/none.html" ] \
    && ok "refuses a process that does not exist" || bad "non-existent process: status $s, $(cat "$tmp/err")"
sleep 60 & other=$!
"$asprof" -d 1 -f "$tmp/sleep.html" "$other" > /dev/null 2> "$tmp/err"; s=$?
[ $s -ne 0 ] && grep -q "is not a Java virtual machine" "$tmp/err" && [ ! -e "$tmp/sleep.html" ] \
    && ok "refuses a process that is not a JVM" || bad "non-Java process: status $s, $(cat "$tmp/err")"
for args in "-d 0 -f $tmp/x.html $other" "-d x -f $tmp/x.html $other" "-d 1 $other" "-d 1 -f $tmp/x.html"; do
    # shellcheck disable=SC2086
    "$asprof" $args > /dev/null 2> "$tmp/err"; s=$?
    [ $s -ne 0 ] && [ "$(wc -l < "$tmp/err")" -ge 1 ] && [ ! -e "$tmp/x.html" ] || bad "asprof $args: status $s"
done
[ $fail -eq 0 ] && ok "refuses bad arguments"

if ! command -v java > /dev/null || ! command -v javac > /dev/null || ! command -v jcmd > /dev/null; then
    echo "SKIP: no JDK here"; exit 77
fi
javac -d "$tmp/classes" "$src/WelbrinHotLoop.java" || { bad "cannot compile the test program"; exit 1; }
java -cp "$tmp/classes" WelbrinHotLoop > /dev/null & jvm=$!
# The JVM answers jcmd once it is up.
for _ in $(seq 1 50); do jcmd "$jvm" VM.uptime > /dev/null 2>&1 && break; sleep 0.2; done

"$asprof" -d 2 -f "$tmp/out.html" "$jvm" > "$tmp/out" 2>&1; s=$?
if [ $s -eq 0 ] && [ -s "$tmp/out.html" ]; then
    ok "profiles a running JVM"
    grep -q 'WelbrinHotLoop.burnCpu' "$tmp/out.html" && ok "the hot method is a frame of the graph" \
        || bad "no WelbrinHotLoop.burnCpu frame in the graph"
    grep -q 'WelbrinHotLoop.main' "$tmp/out.html" && ok "its caller is in the graph" || bad "no WelbrinHotLoop.main frame"
    grep -q -i '^<!DOCTYPE html>' "$tmp/out.html" && grep -q '</html>' "$tmp/out.html" || bad "not a whole HTML document"
    if grep -q -i -E '<(script|link|img|iframe)[^>]*(src|href)=|url\(|@import' "$tmp/out.html"; then
        bad "the graph fetches something from outside: $(grep -i -o -E '(src|href)=[^ >]*|url\([^)]*\)' "$tmp/out.html" | head -3)"
    else
        ok "the graph is self-contained"
    fi
else
    bad "asprof on JVM $jvm: status $s: $(cat "$tmp/out")"
fi
"$asprof" -d 1 -f "$tmp/out.txt" "$jvm" > /dev/null 2>&1
grep -q -E '^(.*;)?WelbrinHotLoop.main;WelbrinHotLoop.burnCpu [0-9]+$' "$tmp/out.txt" \
    && ok "folded text for a non-HTML file name" || bad "folded text: $(head -3 "$tmp/out.txt")"
kill "$jvm"; wait "$jvm" 2>/dev/null; jvm=""

# A JVM of another user: jcmd must attach as that user.
if [ "$(id -u)" -eq 0 ] && command -v setpriv > /dev/null && id nobody > /dev/null 2>&1; then
    chmod 755 "$tmp"
    (cd "$tmp/classes" && exec setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups \
        java -cp "$tmp/classes" WelbrinHotLoop > /dev/null 2>&1) & jvm=$!
    for _ in $(seq 1 50); do jcmd "$jvm" VM.uptime > /dev/null 2>&1 && break; sleep 0.2; done
    "$asprof" -d 1 -f "$tmp/nobody.txt" "$jvm" > "$tmp/out" 2>&1; s=$?
    [ $s -eq 0 ] && grep -q 'WelbrinHotLoop.burnCpu' "$tmp/nobody.txt" \
        && ok "profiles a JVM of another user" || bad "JVM of user nobody: status $s: $(cat "$tmp/out")"
fi
exit $fail
