#!/bin/bash
# The Java path: with -p naming a running JVM the on-CPU task draws a Java
# flame graph instead of recording with perf; when the profiler fails it falls
# back to perf; a process id that only looks like part of a JVM's is no JVM.
set -u
welbrin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e-lib.sh"
scratch=$(mktemp -d)
jvm=
broken=/tmp/async-profiler-0-failing.$$
cleanup() {
    [ -n "$jvm" ] && kill "$jvm" 2>/dev/null && wait "$jvm" 2>/dev/null
    rm -rf "$broken"
    [ "$failures" -eq 0 ] && rm -rf "$scratch" || echo "kept $scratch" >&2
}
trap cleanup EXIT
cd "$scratch"

cat >Spin.java <<'JAVA'
public class Spin {
    static long churn(long seed) {
        long sum = 0;
        for (int i = 0; i < 200000; i++) {
            sum += (seed ^ i) % 7;
        }
        return sum;
    }

    public static void main(String[] args) {
        long total = 0;
        while (true) {
            total += churn(total);
            if (total == 42) {
                System.out.println(total);
            }
        }
    }
}
JAVA
java Spin.java >/dev/null 2>&1 &
jvm=$!
# Ready once the JVM answers its diagnostic commands.
for _ in $(seq 1 60); do
    jcmd "$jvm" VM.version >/dev/null 2>&1 && break
    sleep 1
done
jcmd "$jvm" VM.version >/dev/null 2>&1 || { fail "the test JVM did not come up"; finish; }

# 1. A working profiler: the Java flame graph replaces the on-CPU perf files.
"$welbrin" -t 2 -p "$jvm" -k java >out1 2>&1 || fail "java run: status $?"
dir=$(closing_dir out1)
[ -d "$dir" ] || { fail "java run: no output directory"; finish; }
grep -q "INFO  : Produce Java FlameGraph with pid: $jvm\.\.\." out1 || fail "java run: no Java progress line"
[ -s "$dir/flamegraph_Java.html" ] || fail "java run: no flamegraph_Java.html"
grep -q 'Spin.churn' "$dir/flamegraph_Java.html" || fail "java run: no Java frames in the flame graph"
[ -e "$dir/perfg_On-CPU.data" ] && fail "java run: on-CPU perf data present"
[ -e "$dir/perfg_On-CPU_record.txt" ] && fail "java run: on-CPU record present"
[ -s "$dir/perfg_Off-CPU.data" ] || fail "java run: off-CPU recording missing"
[ "$(grep -c 'Collect info saved to' out1)" -eq 1 ] || fail "java run: closing line count"
grep -q 'shell cmd:' out1 && fail "java run: commands echoed without -l"

# 2. A failing profiler (found first by its name): logged, then perf.
mkdir -p "$broken/bin"
printf '#!/bin/sh\necho "profiler broken for $*"\nexit 3\n' >"$broken/bin/asprof"
chmod +x "$broken/bin/asprof"
"$welbrin" -t 2 -p "$jvm" -k fallback >out2 2>&1 || fail "fallback run: status $?"
dir=$(closing_dir out2)
[ -d "$dir" ] || { fail "fallback run: no output directory"; finish; }
grep -q 'ERROR : Java profiler failed with status 3' out2 || fail "fallback run: no failure line"
grep -q "profiler broken for -d 2 -f .* $jvm" out2 || fail "fallback run: profiler output not shown"
[ -e "$dir/flamegraph_Java.html" ] && fail "fallback run: a Java flame graph where none was made"
[ -s "$dir/perfg_On-CPU.data" ] || fail "fallback run: no on-CPU perf data"
grep -q -- "-p $jvm -F 100 -g" "$dir/perfg_On-CPU_record.txt" || fail "fallback run: on-CPU record without -p"
grep -q 'On-CPU Time Flame Graph' "$dir/perfg_On-CPU.svg" || fail "fallback run: no on-CPU flame graph"
rm -rf "$broken"

# 3. A process id that is only the beginning of the JVM's is not the JVM.
part=${jvm%?}
"$welbrin" -t 1 -p "$part" -k part >out3 2>&1 || fail "part run: status $?"
grep -q 'Produce Java FlameGraph' out3 && fail "part run: pid $part taken for the JVM $jvm"
finish
