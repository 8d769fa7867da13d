#!/bin/bash
# Assembles Welbrin's Java profiler archive: a gzip-compressed tar whose top
# directory is async-profiler-3.0-linux-x64/. With --real, a real
# async-profiler 3.0 archive is checked and carried as it is; otherwise
# Welbrin's stand-in (see asprof/README.md) is packed in the same layout.
# The stand-in archive is reproducible (sorted members, root:root, fixed
# times, gzip without name or time stamp).
set -euo pipefail

die() { echo "make-java-archive.sh: $*" >&2; exit 1; }
usage() { echo "usage: make-java-archive.sh --out <archive.tar.gz> --work <dir> --src <asprof dir> --cc <C compiler> [--real <async-profiler archive>]" >&2; exit 2; }

out="" work="" src="" cc="" real=""
while [ $# -gt 0 ]; do
    case "$1" in
        --out) out=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        --src) src=$2; shift 2 ;;
        --cc) cc=$2; shift 2 ;;
        --real) real=$2; shift 2 ;;
        *) usage ;;
    esac
done
[ -n "$out" ] && [ -n "$work" ] || usage
top=async-profiler-3.0-linux-x64
tmp="$out.tmp.$$"
trap 'rm -f "$tmp"' EXIT

if [ -n "$real" ]; then
    [ -f "$real" ] || die "async-profiler archive $real not found"
    [ "$(od -An -tx1 -N3 "$real" | tr -d ' \n')" = "1f8b08" ] || die "$real is not a gzip-compressed archive"
    members=$(tar -tzf "$real") || die "$real is not a readable tar archive"
    if echo "$members" | grep -v -q "^$top/"; then
        die "$real holds members outside $top/ (an async-profiler 3.0 archive for Linux x64 is expected)"
    fi
    for m in bin/asprof lib/libasyncProfiler.so; do
        echo "$members" | grep -q -x "$top/$m" || die "$real has no $top/$m"
    done
    cp "$real" "$tmp"
    mv "$tmp" "$out"
    trap - EXIT
    exit 0
fi

[ -n "$src" ] && [ -n "$cc" ] || usage
stage="$work/stage"
rm -rf "$stage"
mkdir -p "$stage/$top/bin" "$stage/$top/lib"
cp "$src/LICENSE" "$src/README.md" "$src/CHANGELOG.md" "$stage/$top/"
cp "$src/asprof" "$stage/$top/bin/asprof"
"$cc" -shared -fPIC -O2 -Wall -Wextra -o "$stage/$top/lib/libasyncProfiler.so" "$src/agent.c"
for jar in async-profiler converter; do
    python3 - "$stage/$top/lib/$jar.jar" "$jar" <<'PY'
import sys, zipfile
path, name = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
    for member, text in (
        ("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nCreated-By: Welbrin\r\n\r\n"),
        ("README.txt", name + ".jar of Welbrin's async-profiler stand-in: a placeholder with no classes.\n"),
    ):
        info = zipfile.ZipInfo(member, date_time=(1980, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        z.writestr(info, text)
PY
done
chmod 0755 "$stage/$top" "$stage/$top/bin" "$stage/$top/lib" "$stage/$top/bin/asprof"
chmod 0644 "$stage/$top/LICENSE" "$stage/$top/README.md" "$stage/$top/CHANGELOG.md" "$stage/$top"/lib/*
tar --sort=name --format=gnu --owner=0 --group=0 --numeric-owner --mtime="@${SOURCE_DATE_EPOCH:-0}" \
    -C "$stage" -cf - "$top" | gzip -n -9 > "$tmp"
mv "$tmp" "$out"
trap - EXIT
