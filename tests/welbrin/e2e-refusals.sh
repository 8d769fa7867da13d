#!/bin/bash
# welbrin's answers that end at once: help, version and refused input. None of
# them may collect anything or create an output directory.
set -u
welbrin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

help_first_line="  Usage: $welbrin [OPTIONS...] "
# try <help|version|refuse> <arguments...>
try() {
    local expected=$1
    shift
    local args="$*"
    "$welbrin" "$@" >out.txt 2>err.txt
    local status=$?
    case $expected in
    help)
        [ $status -eq 0 ] || fail "$args: status $status, want 0"
        [ "$(sed -n 2p out.txt)" = "$help_first_line" ] || fail "$args: no help text"
        ;;
    version)
        [ $status -eq 0 ] || fail "$args: status $status, want 0"
        [ "$(cat out.txt)" = "Version: 5.2  Build Time: 20241213022434" ] || fail "$args: version line"
        ;;
    refuse)
        [ $status -eq 1 ] || fail "$args: status $status, want 1"
        [ "$(wc -l <err.txt)" -eq 1 ] || fail "$args: want one line on stderr, got: $(cat err.txt)"
        grep -q "^welbrin: invalid" err.txt || fail "$args: refusal line: $(cat err.txt)"
        [ -s out.txt ] && fail "$args: printed on stdout: $(head -3 out.txt)"
        ;;
    esac
    compgen -G "welbrin_*" >/dev/null && fail "$args: created an output directory"
    [ -e pwned ] && fail "$args: text reached a shell"
    rm -rf welbrin_* pwned
}

try help -h
try help -h x
try help --help
try help -x
try help foo
try help -t 7 -x -p 12
try version -v
try version --version
try refuse -t abc
try refuse -t 0
try refuse -t -3
try refuse -t 99999999999
try refuse -p abc
try refuse -c '0-3;touch pwned'
try refuse -c 3-1
try refuse -c 100000
try refuse -k '$(touch pwned)'
try refuse -k 'a b'
try refuse -k a/b
# A working directory that is gone leaves nowhere to save: status 1, and no
# output directory in "/" instead.
mkdir "$work/gone"
cd "$work/gone"
rmdir "$work/gone"
ls -d /welbrin_* 2>/dev/null >"$work/root-before"
"$welbrin" -t 1 >"$work/out.txt" 2>&1
status=$?
cd "$work"
[ $status -eq 1 ] || fail "gone working directory: status $status, want 1"
grep -q 'ERROR : cannot tell the current directory' out.txt || fail "gone working directory: no error line"
grep -q 'Collect info saved' out.txt && fail "gone working directory: claims to have saved"
ls -d /welbrin_* 2>/dev/null | cmp -s - "$work/root-before" || fail "gone working directory: wrote into /"
finish
