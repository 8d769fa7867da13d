# Shared by the topdown_*_e2e.sh tests: run Ostrum on a machine description
# with a simulated PMU and read the top-down report out of its decoded output.
#
# Needs OSTRUM, OSTRUM_DECODE and QUENDAR_FIXTURES (set by the test runner).

set -u

: "${OSTRUM:?path of the ostrum executable}"
: "${OSTRUM_DECODE:?path of the ostrum-decode executable}"
: "${QUENDAR_FIXTURES:?fixtures directory}"

failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# run_ostrum <machine root> <sim rules text> <ostrum args...>: runs in a fresh
# directory; leaves the decoded terminal output in $out, the status in
# $status and standard error in $err.
run_ostrum() {
    local root=$1 rules=$2
    shift 2
    local rundir
    rundir=$(mktemp -d "$scratch/run.XXXXXX")
    printf '%s\n' "$rules" > "$rundir/pmu-sim.txt"
    (cd "$rundir" && QUENDAR_SYSROOT="$root" QUENDAR_PMU_SIM="$rundir/pmu-sim.txt" \
        "$OSTRUM" "$@" > "$rundir/stdout" 2> "$rundir/stderr")
    status=$?
    "$OSTRUM_DECODE" "$rundir/stdout" > "$rundir/decoded"
    out=$(cat "$rundir/decoded")
    err=$(cat "$rundir/stderr")
}

# topdown_block <text> <n>: the n-th top-down report of the text, from its
# title to its closing line of 58 '#'.
topdown_block() {
    awk -v want="$2" '
        index($0, "Top-down Analysis Summary (pid: ") > 0 { seen++ }
        seen == want { print }
        seen == want && $0 ~ /^#+$/ && length($0) == 58 { exit }' <<< "$1"
}

# The label column of every line is 48 wide.
line48() {
    printf '%-48s%s' "$1" "$2"
}

# value_of <block> <label>: what follows the 48-character label field.
value_of() {
    awk -v label="$2" 'index($0, label) == 1 { print substr($0, 49); exit }' <<< "$1"
}

# near <got> <want>: integers within a millionth of each other.
near() {
    awk -v got="$1" -v want="$2" 'BEGIN {
        d = got - want; if (d < 0) d = -d
        exit !(got ~ /^[0-9]+$/ && d <= want / 1000000) }'
}

# expect_frame <what> <block> <pid> <cpu> <instructions> <cycles> <IPC>
expect_frame() {
    local what=$1 block=$2 pid=$3 cpu=$4 instructions=$5 cycles=$6 ipc=$7
    local text=" Top-down Analysis Summary (pid: $pid cpu: $cpu) "
    local short=$((58 - ${#text}))
    [ "$short" -lt 0 ] && short=0
    local left=$((short / 2)) right=$((short - short / 2))
    local title
    title="$(printf '%*s' "$left" '' | tr ' ' '#')$text$(printf '%*s' "$right" '' | tr ' ' '#')"
    [ "$(sed -n 1p <<< "$block")" = "$title" ] || fail "$what: title '$(sed -n 1p <<< "$block")', expected '$title'"
    local got
    got=$(value_of "$block" "Total Execution Instruction:")
    near "$got" "$instructions" || fail "$what: $got instructions, expected about $instructions"
    got=$(value_of "$block" "Total Execution Cycles:")
    near "$got" "$cycles" || fail "$what: $got cycles, expected about $cycles"
    [ "$(sed -n 4p <<< "$block")" = "$(line48 "Instructions Per Cycle:" "$ipc")" ] ||
        fail "$what: IPC line '$(sed -n 4p <<< "$block")', expected $ipc"
    [ "$(sed -n 5p <<< "$block")" = "" ] || fail "$what: no blank line before the trees"
    [ "$(tail -n 1 <<< "$block")" = "$(printf '%58s' '' | tr ' ' '#')" ] || fail "$what: no closing line"
}

# expect_trees <what> <block> <expected>: the four trees, from the line after
# the first blank one to the line before the closing one.
expect_trees() {
    local what=$1 block=$2 expected=$3
    local trees
    trees=$(sed -n '6,$p' <<< "$block" | sed '$d')
    if [ "$trees" != "$expected" ]; then
        fail "$what: the trees differ (< got, > expected):"
        diff <(printf '%s\n' "$trees") <(printf '%s\n' "$expected") >&2
    fi
}
