#!/usr/bin/env bash
# pellora against the Redfish BMC simulator over HTTPS: listing, reports,
# details, apply (checked in the simulator's record of PATCH bodies), and the
# refusals: wrong password, untrusted certificate, unknown attribute.
. "$(dirname "$0")/lib.sh"

sim=$scratch/sim
# A password that would break any command line or config it were pasted in.
password='p"w\ x$(id)'
port=$("$PELLORA_BMCSIM/start-bmcsim.sh" "$sim" --user admin --password "$password") || exit 1
cleanup_steps+=("\"$PELLORA_BMCSIM/stop-bmcsim.sh\" \"$sim\"")
bmc=(-H "127.0.0.1:$port" -U admin -P "$password")
export PELLORA_BMC_CA=$sim/cert.pem
record=$sim/patches.jsonl

run "${bmc[@]}" getattr
expect_rc 0 "listing"
for line in "BootMode : Uefi" "ProcCoreDisable : 0" "ProcTurboMode : Enabled" "AdminPhone : "; do
    expect_line "$line" "listing"
done
[ "$(grep -c ' : ' <<<"$out")" -eq 10 ] || fail "listing: one line per attribute of the mockup"

run "${bmc[@]}" check
expect_rc 0 "check"

declare -A fact=(
    [getbios]="BIOS Version : P79 v1.45 (12/06/2017)"
    [getcpu]="Socket : CPU 1"
    [getmemory]="Capacity MiB : 32768"
    [getsyseth]="MAC Address : 12:44:6A:3B:04:11"
    [getpdisk]="Model : 3000GT8"
    [getraid]="RAID Volume : none reported by the BMC"
    [getpsu]="Model : 499253-B21"
)
for report in "${!fact[@]}"; do
    run "${bmc[@]}" "$report"
    expect_rc 0 "$report"
    expect_line "${fact[$report]}" "$report"
done

run "${bmc[@]}" getbiosdetails -A ProcTurboMode
expect_rc 0 "details"
expect_line "Current Value : Enabled" "details"
expect_line "Pending Value : Disabled" "details"

# Apply: one PATCH holding exactly the attributes of the file, typed like
# the BIOS's values, escapes intact.
printf '%s' '{"NicBoot2" : "NetworkBoot","ProcCoreDisable" : "2","AdminPhone" : "say \"hi\" \\ 1"}' > "$scratch/ok.json"
run "${bmc[@]}" setbios -f "$scratch/ok.json"
expect_rc 0 "apply"
expect_no_failure_word "apply"
[ "$(wc -l < "$record")" -eq 1 ] || fail "apply: $(wc -l < "$record") PATCH requests, expected 1"
python3 - "$record" <<'PY' || fail "apply: recorded PATCH body"
import json, sys
entry = json.loads(open(sys.argv[1]).readline())
assert entry["path"] == "/redfish/v1/Systems/437XR1138R2/Bios/Settings", entry
assert entry["body"] == {"Attributes": {"NicBoot2": "NetworkBoot", "ProcCoreDisable": 2,
                                        "AdminPhone": 'say "hi" \\ 1'}}, entry
PY
run "${bmc[@]}" getbiosdetails -A AdminPhone
expect_line 'Pending Value : say "hi" \ 1' "details after apply"

# Refusals: nothing more reaches the BMC.
printf '%s' '{"BootMode" : "Legacy","NoSuchAttribute" : "1","ProcCoreDisable" : "two"}' > "$scratch/bad.json"
run "${bmc[@]}" setbios -f "$scratch/bad.json"
expect_rc 1 "refused apply"
expect_text "NoSuchAttribute : Failed (the BIOS has no such attribute)" "refused apply"
expect_text "ProcCoreDisable : Failed ('two' is not a number)" "refused apply"
[ "$(wc -l < "$record")" -eq 1 ] || fail "refused apply: a PATCH was sent"

run -H "127.0.0.1:$port" -U admin -P "wrong" getattr
expect_rc 1 "wrong password"
expect_text "Failure: the BMC refused the user name or password (HTTP 401)" "wrong password"
run -H "127.0.0.1:$port" -U admin -P "wrong" setbios -f "$scratch/ok.json"
expect_rc 1 "apply with a wrong password"
expect_text "Failure" "apply with a wrong password"

run -H "127.0.0.1:$port" -U admin getattr
expect_rc 2 "password missing"
expect_text "-H, -U and -P go together" "password missing"

# Trust: a certificate nobody vouched for is refused; a pinned key is enough.
unset PELLORA_BMC_CA
run "${bmc[@]}" setbios -f "$scratch/ok.json"
expect_rc 1 "untrusted certificate"
expect_text "certificate is not trusted" "untrusted certificate"
[ "$(wc -l < "$record")" -eq 1 ] || fail "untrusted certificate: a PATCH was sent"
pin="sha256//$(openssl x509 -in "$sim/cert.pem" -pubkey -noout | openssl pkey -pubin -outform der |
               openssl dgst -sha256 -binary | base64)"
PELLORA_BMC_PIN=$pin run "${bmc[@]}" getattr
expect_rc 0 "pinned key"
PELLORA_BMC_PIN="sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=" run "${bmc[@]}" getattr
expect_rc 1 "wrong pinned key"
expect_text "does not match the pinned key" "wrong pinned key"

# While a request is under way, neither pellora's nor curl's command line
# shows the password: a BMC that accepts and never answers holds it there.
python3 -c 'import socket, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(4)
print(s.getsockname()[1], flush=True)
conns = [s.accept() for _ in range(4)]
time.sleep(600)' > "$scratch/hang.port" &
hang=$!
cleanup_steps+=("kill $hang 2>/dev/null")
for _ in $(seq 100); do [ -s "$scratch/hang.port" ] && break; sleep 0.1; done
PELLORA_BMC_CA=$sim/cert.pem ${QUENDAR_EMULATOR:+$QUENDAR_EMULATOR} "$PELLORA" \
    -H "127.0.0.1:$(cat "$scratch/hang.port")" -U admin -P "$password" getattr >/dev/null 2>&1 &
tool=$!
cleanup_steps+=("kill $tool 2>/dev/null")
curl_pid=""
for _ in $(seq 200); do
    curl_pid=$(pgrep -P "$tool" curl || true)
    [ -n "$curl_pid" ] && break
    sleep 0.1
done
if [ -z "$curl_pid" ]; then
    fail "hanging BMC: curl never started"
else
    tr '\0' ' ' < "/proc/$curl_pid/cmdline" > "$scratch/curl.cmdline"
    grep -qF -- "$password" "$scratch/curl.cmdline" && fail "curl's command line shows the password"
    grep -qF -- "127.0.0.1" "$scratch/curl.cmdline" && fail "curl's command line shows the request"
    # Under a user-mode emulator the command line is the emulator's own copy.
    if [ -z "${QUENDAR_EMULATOR:-}" ]; then
        tr '\0' ' ' < "/proc/$tool/cmdline" > "$scratch/tool.cmdline"
        grep -qF -- "$password" "$scratch/tool.cmdline" && fail "pellora's command line still shows the password"
    fi
fi
kill "$tool" "$curl_pid" 2>/dev/null

"$PELLORA_BMCSIM/stop-bmcsim.sh" "$sim"
PELLORA_BMC_CA=$sim/cert.pem run "${bmc[@]}" getattr
expect_rc 1 "BMC gone"
expect_text "Failure: cannot connect to the BMC" "BMC gone"

finish
