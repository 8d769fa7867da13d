#!/usr/bin/env bash
# check-no-plaintext.sh <binary> <text>...: fails if any text is stored in
# plain in the binary. A binary that does not exist is a failure too.
set -u
binary=$1
shift
[ -f "$binary" ] || { echo "no such binary: $binary" >&2; exit 1; }
status=0
for text in "$@"; do
    if grep -qaF -- "$text" "$binary"; then
        echo "stored in plain: $text" >&2
        status=1
    fi
done
exit $status
