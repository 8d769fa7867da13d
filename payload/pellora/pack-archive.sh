#!/usr/bin/env bash
# pack-archive.sh <out.tar.xz> <pellora-program> [--strip <strip-tool>]
#                 [--machine <dir>] [--bmc-ca <pem>]
# Packs the tool tree Pellora_aarch64/ (launcher bin/pellora) as an xz tar.
# --machine carries a machine description in the tree and names it in
# etc/sysroot (test builds only); --bmc-ca carries the certificate that BMC
# certificates must verify against as etc/bmc-ca.pem.
set -euo pipefail
out=$1
program=$2
shift 2
strip_tool=""
machine=""
bmc_ca=""
while [ $# -gt 0 ]; do
    case $1 in
        --strip) strip_tool=$2; shift 2 ;;
        --machine) machine=$2; shift 2 ;;
        --bmc-ca) bmc_ca=$2; shift 2 ;;
        *) echo "pack-archive.sh: unknown option $1; accepted: --strip, --machine, --bmc-ca" >&2; exit 2 ;;
    esac
done
[ -x "$program" ] || { echo "pack-archive.sh: no program at $program" >&2; exit 1; }

stage=$(mktemp -d)
trap 'rm -rf "$stage" "$out.partial"' EXIT
top=$stage/Pellora_aarch64
install -d -m 0755 "$top/bin" "$top/etc"
install -m 0755 "$program" "$top/bin/pellora"
if [ -n "$strip_tool" ]; then
    "$strip_tool" "$top/bin/pellora"
fi
if [ -n "$machine" ]; then
    cp -R "$machine" "$top/machine"
    echo machine > "$top/etc/sysroot"
fi
if [ -n "$bmc_ca" ]; then
    install -m 0644 "$bmc_ca" "$top/etc/bmc-ca.pem"
fi
# Reproducible: same inputs, same bytes.
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@0 -C "$stage" -cf - Pellora_aarch64 |
    xz -6 -T1 -c > "$out.partial"
mv "$out.partial" "$out"
