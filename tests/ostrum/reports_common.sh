# Shared by the reports_*_e2e.sh tests: run Ostrum on a fixture machine with
# a simulated PMU and read cells out of its decoded report.
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

# run_ostrum <machine> <sim rules text> <ostrum args...>: runs in a fresh
# directory; leaves the decoded terminal output in $out, its status in
# $status, standard error in $err and the run directory in $rundir.
run_ostrum() {
    local machine=$1 rules=$2
    shift 2
    rundir=$(mktemp -d "$scratch/run.XXXXXX")
    printf '%s\n' "$rules" > "$rundir/pmu-sim.txt"
    (cd "$rundir" && QUENDAR_SYSROOT="$QUENDAR_FIXTURES/machines/$machine" \
        QUENDAR_PMU_SIM="$rundir/pmu-sim.txt" "$OSTRUM" "$@" > "$rundir/stdout" 2> "$rundir/stderr")
    status=$?
    "$OSTRUM_DECODE" "$rundir/stdout" > "$rundir/decoded"
    out=$(cat "$rundir/decoded")
    err=$(cat "$rundir/stderr")
}

# The left column of a two-column report (the reports are 102 wide, joined
# to the top-down column by " | ").
left_column() {
    cut -c1-102 <<< "$1"
}

# cells <text> <label>: the cells of the first line starting with label,
# trimmed and joined by ";" (the label itself left out).
cells() {
    awk -v label="$2" '
        index($0, label) == 1 {
            rest = substr($0, length(label) + 1)
            n = split(rest, parts, "|")
            line = ""
            for (i = 1; i <= n; i++) {
                cell = parts[i]
                gsub(/^ +| +$/, "", cell)
                line = line (i > 1 ? ";" : "") cell
            }
            print line
            exit
        }' <<< "$1"
}

# expect_cells <text> <label> <expected>: the cells before the last
# `skip` ones (default 0) are compared.
expect_cells() {
    local text=$1 label=$2 expected=$3 skip=${4:-0}
    local got
    got=$(cells "$text" "$label")
    if [ "$skip" -gt 0 ]; then
        got=$(awk -F';' -v skip="$skip" '{ line = ""; for (i = 1; i <= NF - skip; i++) line = line (i > 1 ? ";" : "") $i; print line }' <<< "$got")
    fi
    [ "$got" = "$expected" ] || fail "$label: expected '$expected', got '$got'"
}

# line_of <text> <fixed string>: number of the first line holding it (0: none).
line_of() {
    local n
    n=$(grep -nF -m1 -- "$2" <<< "$1" | cut -d: -f1)
    echo "${n:-0}"
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "--- decoded output of the last run ---" >&2
        echo "$out" >&2
        echo "--- standard error ---" >&2
        echo "$err" >&2
        exit 1
    fi
    echo "ok"
}
