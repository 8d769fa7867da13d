# Shared by the end-to-end scripts of Ostrum (sourced, not run).
#
# Each script runs in its own scratch directory (results land in the current
# directory) and uses:
#   OSTRUM, OSTRUM_DECODE   the built programs (set by CTest)
#   QUENDAR_EMULATOR        runs target binaries of a cross build (may be empty)
#   QUENDAR_FIXTURES        the fixture tree
set -u

: "${OSTRUM:?}" "${OSTRUM_DECODE:?}" "${QUENDAR_FIXTURES:?}"
EMU=${QUENDAR_EMULATOR:-}
MACHINES=$QUENDAR_FIXTURES/machines

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/ostrum-e2e-XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT
cd "$SCRATCH" || exit 1

FAILURES=0
fail() {
    echo "FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}
finish() {
    if [ "$FAILURES" -ne 0 ]; then
        echo "$FAILURES check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# ostrum MACHINE SIMFILE ARGS...: runs Ostrum on a fixture machine with a
# simulated PMU (SIMFILE may be empty for none); sets OUT, ERR, STATUS.
ostrum() {
    local machine=$1 sim=$2
    shift 2
    QUENDAR_SYSROOT=$MACHINES/$machine QUENDAR_PMU_SIM=$sim $EMU "$OSTRUM" "$@" >out.txt 2>err.txt
    STATUS=$?
    OUT=$(cat out.txt)
    ERR=$(cat err.txt)
}

decode() {
    $EMU "$OSTRUM_DECODE" "$@"
}

expect_status() {
    [ "$STATUS" -eq "$1" ] || fail "$2: status $STATUS, expected $1 (stderr: $ERR)"
}
expect_in() {  # TEXT NEEDLE WHAT
    case "$1" in *"$2"*) ;; *) fail "$3: '$2' not found" ;; esac
}
expect_not_in() {
    case "$1" in *"$2"*) fail "$3: '$2' found" ;; *) ;; esac
}
