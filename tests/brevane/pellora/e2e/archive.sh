#!/usr/bin/env bash
# The archives Brevane carries: layout, and the test variant working with
# the empty environment Brevane gives the tool (machine root and BMC trust
# come from the tree's etc/).
. "$(dirname "$0")/lib.sh"

out=$(tar -tJvf "$PELLORA_ARCHIVE" 2>&1)
rc=$?
expect_rc 0 "release archive is an xz tar"
grep -qE '^-rwxr-xr-x .* Pellora_aarch64/bin/pellora$' <<<"$out" || fail "release archive: no executable Pellora_aarch64/bin/pellora"
if grep -vqE ' Pellora_aarch64(/|$)' <<<"$out"; then fail "release archive: entries outside Pellora_aarch64/"; fi
if grep -qE 'etc/(sysroot|bmc-ca.pem|bmc-pin)$|/machine/' <<<"$out"; then fail "release archive: carries test settings"; fi

tree=$scratch/unpacked
mkdir -p "$tree"
tar -xJf "$PELLORA_TEST_ARCHIVE" -C "$tree" || fail "test archive does not unpack"
PELLORA=$tree/Pellora_aarch64/bin/pellora
[ -f "$tree/Pellora_aarch64/etc/sysroot" ] || fail "test archive: no etc/sysroot"

# As Brevane starts it: no environment at all.
runbare() {
    out=$(env -i ${QUENDAR_EMULATOR:+$QUENDAR_EMULATOR} "$PELLORA" "$@" 2>&1)
    rc=$?
}
runbare check
expect_rc 0 "test archive: check on the described machine"
runbare getattr
expect_rc 0 "test archive: listing"
expect_line "CustomPowerPolicy : Efficiency" "test archive: listing"

sim=$scratch/sim
port=$("$PELLORA_BMCSIM/start-bmcsim.sh" "$sim" --cert "$PELLORA_TEST_BMC_CERT" --key "$PELLORA_TEST_BMC_KEY") || exit 1
cleanup_steps+=("\"$PELLORA_BMCSIM/stop-bmcsim.sh\" \"$sim\"")
runbare -H "127.0.0.1:$port" -U admin -P secret getattr
expect_rc 0 "test archive: the test BMC is trusted through etc/bmc-ca.pem"
expect_line "BootMode : Uefi" "test archive: remote listing"

finish
