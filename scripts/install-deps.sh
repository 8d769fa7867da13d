#!/usr/bin/env bash
# Installs what building and testing the suite needs on Debian 12, and
# registers qemu with the kernel so AArch64 programs can start one another.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
    build-essential cmake file xz-utils python3
    g++-aarch64-linux-gnu qemu-user-static
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    sysstat procps numactl linux-perf libdevel-nytprof-perl
    curl openssl openjdk-17-jdk-headless pciutils util-linux binutils perl
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# AArch64 programs run here under user-mode qemu; registering it with the
# kernel lets one of them start another (Brevane starting its carried tool).
binfmt=/proc/sys/fs/binfmt_misc
if [ "$(uname -m)" != "aarch64" ] && [ ! -e "$binfmt/qemu-aarch64" ]; then
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    cat /usr/lib/binfmt.d/qemu-aarch64.conf > "$binfmt/register"
fi
