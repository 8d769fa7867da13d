#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# host (x86-64, all tests), aarch64 (cross build, tests under qemu), and the
# unit tests under the address/undefined and thread sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=${JOBS:-$(nproc)}
presets=${PRESETS:-host aarch64 asan tsan}
for preset in $presets; do
    echo "=== $preset ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs" --timeout 600
done
echo "all tests passed: $presets"
