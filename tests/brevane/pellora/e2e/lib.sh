# Shared helpers of pellora's end-to-end tests (sourced).
set -u
failures=0
scratch=$(mktemp -d)
cleanup_steps=()
cleanup() {
    for step in "${cleanup_steps[@]}"; do eval "$step"; done
    rm -rf "$scratch"
}
trap cleanup EXIT

# run <args...>: runs pellora (under the emulator of a cross build), output
# in $out, exit status in $rc.
run() {
    out=$(${QUENDAR_EMULATOR:+$QUENDAR_EMULATOR} "$PELLORA" "$@" 2>&1)
    rc=$?
}

fail() {
    echo "FAIL: $*" >&2
    echo "--- output:" >&2
    echo "$out" >&2
    failures=$((failures + 1))
}

expect_rc() {  # expect_rc <status> <what>
    [ "$rc" -eq "$1" ] || fail "$2: status $rc, expected $1"
}

expect_line() {  # expect_line <exact line> <what>
    grep -qxF -- "$1" <<<"$out" || fail "$2: no line '$1'"
}

expect_text() {  # expect_text <text> <what>
    grep -qF -- "$1" <<<"$out" || fail "$2: no '$1'"
}

expect_no_failure_word() {  # the words Brevane judges an apply by
    if grep -qE 'Failed|Failure' <<<"$out"; then fail "$1: a failure word in a success"; fi
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
