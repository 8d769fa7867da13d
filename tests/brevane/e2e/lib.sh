# Helpers of Brevane's end-to-end scripts. The caller sets $out and $status
# (the last run), $record (the stand-in tool's record) and $TMPDIR (where
# brevane makes its work directory).
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

pass() {
    echo "ok: $*"
}

# machines <dir>: $Q60 and $OTHER, machine descriptions inside and outside
# the processor family (the shared fixtures when present).
machines() {
    if [ -d "${QUENDAR_FIXTURES:-}/machines/q60-2s" ] && [ -d "${QUENDAR_FIXTURES:-}/machines/other" ]; then
        Q60=$QUENDAR_FIXTURES/machines/q60-2s
        OTHER=$QUENDAR_FIXTURES/machines/other
        return
    fi
    Q60=$1/machine-q60
    OTHER=$1/machine-other
    mkdir -p "$Q60/proc" "$OTHER/proc"
    printf 'processor\t: 0\nBogoMIPS\t: 200.00\nCPU implementer\t: 0x6b\nCPU architecture: 8\nCPU variant\t: 0x1\nCPU part\t: 0xa21\n' \
        >"$Q60/proc/cpuinfo"
    printf 'processor\t: 0\nBogoMIPS\t: 50.00\nCPU implementer\t: 0x41\nCPU architecture: 8\nCPU variant\t: 0x1\nCPU part\t: 0xd0c\n' \
        >"$OTHER/proc/cpuinfo"
}

show_output() {
    printf '%s\n' "$out" | sed 's/^/    | /' >&2
}

expect_status() {
    if [ "$status" -eq "$1" ]; then pass "$2 (status $1)"; else fail "$2: status $status, expected $1"; show_output; fi
}

expect_line() {
    if printf '%s\n' "$out" | grep -qE -- "$1"; then pass "$2"; else fail "$2: no line matching $1"; show_output; fi
}

expect_no_line() {
    if printf '%s\n' "$out" | grep -qE -- "$1"; then fail "$2: a line matches $1"; show_output; else pass "$2"; fi
}

# The work directory is gone: nothing is left under $TMPDIR.
expect_clean() {
    local left
    left=$(ls -A "$TMPDIR")
    if [ -z "$left" ]; then pass "$1 leaves nothing behind"; else fail "$1 leaves $left in $TMPDIR"; rm -rf "${TMPDIR:?}"/*; fi
}

expect_no_calls() {
    if [ -s "$record/calls" ]; then fail "$1: the tool was called: $(cat "$record/calls")"; else pass "$1: the tool was not called"; fi
}

expect_no_call() {
    if grep -qF -- "$1" "$record/calls" 2>/dev/null; then fail "$2: the tool got $1"; else pass "$2"; fi
}

expect_call_like() {
    if grep -qE -- "$1" "$record/calls" 2>/dev/null; then pass "$2"; else
        fail "$2: no call matching $1"
        sed 's/^/    calls| /' "$record/calls" >&2 2>/dev/null
    fi
}

expect_applied() {
    local applied
    applied=$(cat "$record/applied.json" 2>/dev/null)
    if [ "$applied" = "$1" ]; then pass "$2"; else fail "$2: applied '$applied', expected '$1'"; show_output; fi
}

expect_no_file() {
    if [ -e "$1" ]; then fail "$2: $1 exists"; else pass "$2"; fi
}

expect_file_text() {
    local text
    text=$(cat "$1" 2>/dev/null)
    if [ "$text" = "$2" ]; then pass "$3"; else fail "$3: $1 holds '$text'"; fi
}

expect_count() {
    if [ "$1" -eq "$2" ]; then pass "$3"; else fail "$3: $2, expected $1"; fi
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
