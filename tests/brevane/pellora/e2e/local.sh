#!/usr/bin/env bash
# pellora against described machines: the firmware-attributes BIOS interface
# and the hardware reports, and a machine without the interface.
. "$(dirname "$0")/lib.sh"

machine=$scratch/machine
cp -R "$PELLORA_FIXTURES/quendar-q60" "$machine"
attrs=$machine/sys/class/firmware-attributes/quendar-bios/attributes
export QUENDAR_SYSROOT=$machine

run getattr
expect_rc 0 "listing"
for line in "CustomPowerPolicy : Efficiency" "ActiveCores : 0" "AssetTag : rack 4: slot 12" \
            "BootOrder : Pxe:1;Hdd:0" "PowerLevelOfSocket1 : LEVEL-3"; do
    expect_line "$line" "listing"
done
[ "$(grep -c ' : ' <<<"$out")" -eq "$(ls -d "$attrs"/*/ | wc -l)" ] || fail "listing: one line per attribute"

run getbiosdetails -A CustomPowerPolicy
expect_rc 0 "details"
expect_line "Type : Enumeration" "details"
expect_line "Allowed Values : Efficiency, Performance, Custom" "details"
expect_line "Current Value : Efficiency" "details"
expect_line "Pending Value : (none)" "details"
run getbiosdetails -A NoSuchAttribute
expect_rc 1 "details of a missing attribute"
expect_text "Failure: the BIOS has no attribute named 'NoSuchAttribute'" "details of a missing attribute"

# The settings file as Brevane writes it, with a value that needs escapes.
printf '%s' '{"CustomPowerPolicy" : "Performance","AssetTag" : "row \"7\" \\ 2"}' > "$scratch/ok.json"
run setbios -f "$scratch/ok.json"
expect_rc 0 "apply"
expect_no_failure_word "apply"
[ "$(cat "$attrs/CustomPowerPolicy/current_value")" = "Performance" ] || fail "apply: CustomPowerPolicy not written"
[ "$(cat "$attrs/AssetTag/current_value")" = 'row "7" \ 2' ] || fail "apply: AssetTag not written exactly"
run getattr
expect_line "CustomPowerPolicy : Performance" "listing after apply"
echo 1 > "$attrs/pending_reboot"
run getbiosdetails -A CustomPowerPolicy
expect_line "Pending Value : Performance" "details after apply"

# One refused setting: nothing is written, each refusal is named.
printf '%s' '{"NumaEnable" : "Disabled","ActiveCores" : "65","Bogus" : "1"}' > "$scratch/bad.json"
run setbios -f "$scratch/bad.json"
expect_rc 1 "refused apply"
expect_text "ActiveCores : Failed (65 is outside 0 - 64)" "refused apply"
expect_text "Bogus : Failed (the BIOS has no such attribute)" "refused apply"
[ "$(cat "$attrs/NumaEnable/current_value")" = "Enabled" ] || fail "refused apply: NumaEnable was written"

printf '%s' '{"AssetTag" : "unescaped "quote""}' > "$scratch/broken.json"
run setbios -f "$scratch/broken.json"
expect_rc 1 "broken settings file"
expect_text "Failure: the settings file is not valid JSON" "broken settings file"

run check
expect_rc 0 "check"
expect_line "BIOS interface : quendar-bios" "check"

# Every report sub-command, with a fact of the machine it must show.
declare -A fact=(
    [getbios]="BIOS Version : 1.42"
    [getcpu]="Sockets : 2"
    [getmemory]="Size : 32768 MB"
    [getsyseth]="MAC Address : 52:54:00:12:34:56"
    [getpdisk]="Model : QD1000 SSD"
    [getraid]="md0 : active raid1 sdb1[1] sda1[0]"
    [getpsu]="Power W : 412.0"
)
for report in "${!fact[@]}"; do
    run "$report"
    expect_rc 0 "$report"
    expect_line "${fact[$report]}" "$report"
done
run getsyseth
grep -q '^\[Network Interface lo\]' <<<"$out" && fail "getsyseth: the loopback is listed"

export QUENDAR_SYSROOT=$PELLORA_FIXTURES/no-interface
run check
expect_rc 1 "check without the interface"
expect_text "no in-band BIOS interface" "check without the interface"
expect_text "-H <address> -U <user> -P <password>" "check without the interface"
run getattr
expect_rc 1 "listing without the interface"
run getcpu
expect_rc 0 "report without the interface"

run frobnicate
expect_rc 2 "unknown sub-command"
expect_text "accepted: getattr" "unknown sub-command"
run help
expect_rc 0 "help"
expect_text "getbiosdetails -A <name>" "help"

finish
