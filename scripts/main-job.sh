#!/usr/bin/env bash
# The main job: installs what is missing, builds the release executables and
# runs each tool once as a user would:
#   - Ostrum (static AArch64, under qemu here) on the described two-socket
#     Q60 server with a simulated PMU: help, version, a two-period run of
#     every report, decoded;
#   - Brevane (static AArch64) against the Redfish BMC simulator: one BIOS
#     attribute set through the BMC, with the PATCH the BMC received;
#   - Welbrin (static x86-64): a short real collection run on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

scripts/install-deps.sh

jobs=${JOBS:-$(nproc)}
cmake --preset aarch64 >/dev/null
cmake --build --preset aarch64 -j "$jobs" --target ostrum ostrum-decode brevane brevane-test
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs" --target welbrin ostrum-decode

a64=$top/build/aarch64
host=$top/build/host
work=$(mktemp -d)
trap 'tests/brevane/bmcsim/stop-bmcsim.sh "$work/bmc" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

file "$a64/Ostrum/ostrum" "$a64/Brevane/brevane" "$host/Welbrin/welbrin"

echo "=== Ostrum on a described Q60 server, simulated PMU ==="
export QUENDAR_SYSROOT=$top/tests/fixtures/machines/q60-2s
"$a64/Ostrum/ostrum" -v
"$a64/Ostrum/ostrum" -h
(
    cd "$work"
    QUENDAR_PMU_SIM=$top/tests/fixtures/pmu/q60-2s-demo.sim \
        "$a64/Ostrum/ostrum" -m all -t 2 -i 1 -k mainjob | "$host/Ostrum/ostrum-decode"
)

echo "=== Brevane through a simulated BMC ==="
cert=$(grep '^PELLORA_TEST_BMC_CERT:' "$a64/CMakeCache.txt" | cut -d= -f2-)
port=$(tests/brevane/bmcsim/start-bmcsim.sh "$work/bmc" --cert "$cert" --key "${cert%cert.pem}key.pem")
"$a64/tests/brevane/brevane-test" -H "127.0.0.1:$port" -U admin -P secret -A PowerProfile -V Balanced
echo "PATCH bodies the BMC received:"
cat "$work/bmc/patches.jsonl"
unset QUENDAR_SYSROOT

echo "=== Welbrin, a short real run on this machine ==="
(
    cd "$work"
    start=$(date +%s)
    "$host/Welbrin/welbrin" -t 3 -k mainjob
    echo "Welbrin wall time: $(( $(date +%s) - start )) s"
    ls "$work"/welbrin_*
)
