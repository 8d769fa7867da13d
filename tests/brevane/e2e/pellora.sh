#!/usr/bin/env bash
# Brevane carrying the suite's own Pellora tool: locally against the fixture
# machine the test tool carries, and through a BMC (the Redfish simulator).
set -u
brevane=$BREVANE_TEST
conf=$BREVANE_FIXTURE_CONF
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d /tmp/brevane-e2e.XXXXXX)
bmc=$work/bmc
cleanup() {
    [ -s "$bmc/pid" ] && "$BREVANE_BMCSIM/stop-bmcsim.sh" "$bmc" >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
machines "$work"
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
cd "$work"

run() {
    out=$(QUENDAR_SYSROOT=$Q60 "$brevane" "$@" 2>&1)
    status=$?
}

# --- local: the firmware-attributes interface of the fixture machine
run -A CustomPowerPolicy -V Performance
expect_status 0 "local -A/-V"
expect_line "INFO  : Setting server BIOS with local machine" "local mode"
expect_line "WARN  : Check CustomPowerPolicy's value: Efficiency" "local current value read from the BIOS"
expect_line "INFO  : BIOS settings are applied." "local apply succeeds"
expect_clean "local -A/-V"

run -A NumaEnable -V Enabled
expect_line "INFO  : Check NumaEnable's value: Enabled" "local value already set"
expect_no_line "Applying the BIOS settings" "nothing to apply locally"

run -A CustomPowerPolicy -V Turbo
expect_status 0 "local refused value"
expect_line "ERROR : Applying BIOS settings failed" "a value the BIOS refuses is reported as a failure"
expect_line "Failed" "the tool's own reason is shown"
expect_clean "local refused value"

run -A NoSuchAttribute -V On
expect_line "WARN  : NoSuchAttribute is not support on current BIOS version" "local attribute the BIOS lacks"

run -t database
expect_status 0 "local -t database"
expect_line "WARN  : Check BootOrder's value: Pxe:1;Hdd:0" "the reserved name keeps its colons"
expect_line "WARN  : Check PowerLevelOfSocket0's value: LEVEL-2" "the group reaches socket 0"
expect_line "INFO  : Check PowerLevelOfSocket1's value: LEVEL-3" "the group leaves socket 1 as it is"
expect_line "^     PowerLevelOfSocket0   :  LEVEL-3 *$" "the group's setting is queued"
expect_line "INFO  : BIOS settings are applied." "local scenario applied"
expect_clean "local -t database"

reports="$work/local reports \$(touch pwned)"
run -c "$reports"
expect_status 0 "local -c"
for sub in getbios getcpu getmemory getsyseth getpdisk getraid getpsu; do
    if [ -s "$reports/${sub}_info.txt" ]; then pass "local ${sub}_info.txt"; else fail "local ${sub}_info.txt missing or empty"; fi
done
expect_count 7 "$(ls "$reports" | wc -l)" "local -c leaves seven files"
expect_no_file "$work/pwned" "the -c path runs nothing"
expect_clean "local -c"

run -D getbiosdetails -A CustomPowerPolicy
expect_line "Efficiency, Performance, Custom" "-D getbiosdetails shows the allowed values"

# --- through the BMC
password='se cr"et'\''s'
port=$("$BREVANE_BMCSIM/start-bmcsim.sh" "$bmc" --cert "$PELLORA_TEST_BMC_CERT" --key "$PELLORA_TEST_BMC_KEY" \
    --user admin --password "$password") || { fail "the Redfish simulator did not start"; finish; }
host=127.0.0.1:$port
patches=$bmc/patches.jsonl

run -H "$host" -U admin -P "$password" -A PowerProfile -V Balanced
expect_status 0 "remote -A/-V"
expect_line "INFO  : Setting server BIOS with Corvel ip : $host" "remote mode"
expect_line "WARN  : Check PowerProfile's value: MaxPerf" "remote current value from the BMC"
expect_line "INFO  : BIOS settings are applied." "remote apply succeeds"
expect_count 1 "$(wc -l <"$patches" 2>/dev/null || echo 0)" "one PATCH for one setting"
if python3 -c 'import json,sys; r=json.loads(open(sys.argv[1]).readline()); sys.exit(0 if r["body"]=={"Attributes":{"PowerProfile":"Balanced"}} else 1)' "$patches"; then
    pass "the PATCH carries the setting"
else
    fail "the PATCH body: $(cat "$patches")"
fi
expect_clean "remote -A/-V"

: >"$patches"
run -H "$host" -U admin -P "$password" -A ProcHyperthreading -V Enabled
expect_line "INFO  : Check ProcHyperthreading's value: Enabled" "remote value already set"
expect_count 0 "$(wc -l <"$patches")" "no PATCH when nothing differs"

run -H "$host" -U admin -P "$password" -A NoSuchAttribute -V On
expect_line "WARN  : NoSuchAttribute is not support on current BIOS version" "remote attribute the BIOS lacks"

cat >"$work/remote.cfg" <<'CFG'
# two settings that differ, one that matches, one the BIOS lacks
PowerProfile : was MaxPerf#Balanced#
ProcTurboMode : Disabled
ProcHyperthreading : Enabled
NoSuchAttribute : On
CFG
: >"$patches"
run -H "$host" -U admin -P "$password" -F "$work/remote.cfg"
expect_status 0 "remote -F"
expect_count 1 "$(wc -l <"$patches")" "a scenario is applied in one PATCH"
if python3 -c 'import json,sys; r=json.loads(open(sys.argv[1]).readline()); sys.exit(0 if r["body"]=={"Attributes":{"PowerProfile":"Balanced","ProcTurboMode":"Disabled"}} else 1)' "$patches"; then
    pass "the PATCH carries exactly the differing settings"
else
    fail "the PATCH body: $(cat "$patches")"
fi

remote_reports=$work/remote-reports
run -H "$host" -U admin -P "$password" -c "$remote_reports"
expect_status 0 "remote -c"
expect_count 7 "$(ls "$remote_reports" | wc -l)" "remote -c leaves seven files"
if grep -q 437XR1138R2 "$remote_reports"/*_info.txt; then
    pass "remote reports describe the server behind the BMC"
else
    fail "remote reports do not name the mockup's system"
fi

run -H "$host" -U admin -P wrong -A PowerProfile -V Balanced
expect_status 0 "remote with a wrong password"
expect_no_line "INFO  : BIOS settings are applied." "a wrong password applies nothing"
expect_clean "remote with a wrong password"

run -H "$host" -U admin -P "$password" -D getbios
expect_status 0 "remote -D getbios"
expect_line "PowerProfile" "remote -D getbios lists the BMC's attributes"

finish
