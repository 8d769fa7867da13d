# Helpers of the Welbrin end-to-end scripts (sourced).

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { # check <description> <command...>: the command must succeed
    local what=$1
    shift
    "$@" || fail "$what"
}
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
# The output directory named by the closing line of a run's output file.
closing_dir() { sed -n 's/.*INFO  : Collect info saved to: //p' "$1" | tail -n 1; }
# Every result file is a sequence of blocks, each opening with an empty line
# and a line of ten '>' followed by the command.
is_block_file() {
    local file=$1
    [ "$(head -c 11 "$file")" = $'\n>>>>>>>>>>' ] && [ "$(sed -n 2p "$file" | cut -c11-)" != "" ]
}
