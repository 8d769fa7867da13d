#!/usr/bin/env bash
# Brevane as an administrator runs it, with the stand-in tool carried inside:
# every path of the command line, what reaches the tool, what is left on disk.
set -u
brevane=$BREVANE_STANDIN
record=$BREVANE_STANDIN_RECORD
conf=$BREVANE_FIXTURE_CONF
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d /tmp/brevane-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT
machines "$work"
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
cd "$work"

# run <machine> <args...>: runs brevane on a described machine; sets $out, $status.
run() {
    local machine=$1
    shift
    rm -rf "$record"
    out=$(QUENDAR_SYSROOT=$machine "$brevane" "$@" 2>&1)
    status=$?
}

# --- version and help leave nothing behind
run "$Q60" -v
expect_status 0 "-v"
expect_line "^Version: rpm  Build Time: 20241214181333$" "-v prints the version line"
expect_clean "-v"

run "$Q60" -h
expect_status 0 "-h"
expect_line "^  Usage: $brevane \[OPTIONS...\] $" "-h usage line"
expect_line "^               1\) set bios by using scenario, see $conf/xx.cfg$" "-h names the scenario directory"
for name in common database speccpu; do
    expect_line "^               2\) support list: .*\b$name\b" "-h lists scenario $name"
done
expect_no_line "support list: .*notes" "-h lists only .cfg files"
expect_line "^  Tips: support -H" "-h shows the BMC tip"
expect_no_line "^          -H  <BMC" "-h hides the BMC option lines"
expect_line "^  Example1 \(set parameters\) : $brevane -t database$" "-h example without BMC options"
expect_clean "-h"

# The tool says the in-band interface is missing: the examples carry the BMC options.
rm -rf "$record"
mkdir -p "$record"
echo 1 >"$record/check-status"
out=$(QUENDAR_SYSROOT=$Q60 "$brevane" -h 2>&1)
expect_line "^  Example3 \(get bios info \) : $brevane -H <BMC IPv4> -U <BMC User> -P <BMC Password> -D getbios$" \
    "-h examples carry the BMC options when the check fails"

# --- refusals: status 1, the tree removed, the tool not asked for anything
run "$OTHER" -A CustomPowerPolicy -V Performance
expect_status 1 "processor outside the family"
expect_line "ERROR : this processor is not supported by Brevane" "processor refusal message"
expect_no_calls "processor refusal"
expect_clean "processor refusal"

run "$Q60" -t nosuch
expect_status 1 "-t nosuch"
expect_line "ERROR : nosuch is not support, you can create $conf/nosuch.cfg$" "-t nosuch names the type twice"
expect_no_call "<setbios>" "-t nosuch applies nothing"
expect_clean "-t nosuch"

run "$Q60" -t notes
expect_status 1 "-t with a file that is not a .cfg"
expect_clean "-t notes"

run "$Q60" -F "$work/missing.cfg"
expect_status 1 "-F missing file"
expect_line "ERROR : no cfg file at $work/missing.cfg \(-F wants a file" "-F names the missing file"
expect_clean "-F missing"

run "$Q60" -F "$work"
expect_status 1 "-F with a directory"
expect_clean "-F with a directory"

# --- options read before the tool is unpacked: the same endings, nothing left
early=$work/machine-options-first
cp -R "$Q60" "$early"
mkdir -p "$early/proc/sys/kernel"
echo 0 >"$early/proc/sys/kernel/nmi_watchdog"
for args in "-v" "-h" "-F $work/missing.cfg" "-t nosuch"; do
    run "$early" $args
    expect_clean "options first: $args"
done
run "$early" -v
expect_status 0 "options first: -v"
expect_line "^Version: rpm  Build Time: 20241214181333$" "options first: -v prints the version"
expect_no_calls "options first: -v unpacks nothing"
run "$early" -F "$work/missing.cfg"
expect_status 1 "options first: -F missing"
expect_no_calls "options first: -F missing unpacks nothing"
run "$early" -A CustomPowerPolicy -V Performance
expect_applied '{"CustomPowerPolicy" : "Performance"}' "options first: the run works"
expect_clean "options first: -A/-V"

QUENDAR_SYSROOT=$Q60 "$BREVANE_NOLAUNCHER" -A CustomPowerPolicy -V Performance >"$work/nolauncher.out" 2>&1 </dev/null &
wait $!
status=$?
out=$(cat "$work/nolauncher.out")
expect_status 1 "archive without a launcher"
expect_line "ERROR : the carried BIOS tool is missing after unpacking" "missing launcher message"
expect_clean "missing launcher"

# --- one attribute
run "$Q60" -A CustomPowerPolicy -V Performance
expect_status 0 "-A/-V that differs"
expect_line "INFO  : Setting server BIOS with local machine" "local mode line"
expect_line "WARN  : Check CustomPowerPolicy's value: Efficiency" "check line at WARN"
expect_applied '{"CustomPowerPolicy" : "Performance"}' "-A/-V applies one setting"
expect_call_like "^<[^>]*/brevane\.[^/>]*/Pellora_aarch64/bin/pellora><setbios><-f><$TMPDIR/brevane\.[^/>]*/bios_settings\.json>$" \
    "the settings file lives in the private work directory"
expect_line "INFO  : BIOS settings are applied." "apply success line"
expect_clean "-A/-V"

run "$Q60" -A NumaEnable -V Enabled
expect_status 0 "-A/-V already set"
expect_line "INFO  : Check NumaEnable's value: Enabled" "check line at INFO"
expect_no_call "<setbios>" "nothing to apply runs no apply"
expect_clean "-A/-V already set"

run "$Q60" -A NoSuchAttribute -V On
expect_line "WARN  : NoSuchAttribute is not support on current BIOS version" "attribute the BIOS lacks"
expect_no_call "<setbios>" "a missing attribute is not applied"

run "$Q60" -t database -A PowerSaving -V Disabled
expect_applied '{"PowerSaving" : "Disabled"}' "-A/-V wins over -t"

run "$Q60" -A CustomPowerPolicy -V 'say "hi" \ now'
expect_applied '{"CustomPowerPolicy" : "say \"hi\" \\ now"}' "values are escaped in the settings file"

# --- scenarios and user files
database='{"CustomPowerPolicy" : "Performance","HwPrefetcher" : "Disabled","BootOrder" : "Hdd:0;Pxe:1","PowerLevelOfSocket0" : "LEVEL-3"}'
run "$Q60" -t database
expect_status 0 "-t database"
expect_line "INFO  : Doing database BIOS performance settings..." "-t names the scenario"
expect_applied "$database" "-t database applies the differing settings in one call"
expect_clean "-t database"

run "$Q60"
expect_status 0 "no arguments"
expect_line "INFO  : Doing speccpu BIOS performance settings..." "no arguments runs the default scenario"
expect_applied '{"CustomPowerPolicy" : "Performance"}' "default scenario applied"

odd="$work/my cfg; touch pwned \$(touch pwned2)"
mkdir -p "$odd"
cp "$conf/database.cfg" "$odd/web's \"file\".cfg"
run "$Q60" -F "$odd/web's \"file\".cfg"
expect_status 0 "-F with shell characters"
expect_applied "$database" "-F file applies like its scenario"
expect_no_file "$work/pwned" "-F path runs nothing"
expect_no_file "$work/pwned2" "-F path runs nothing"

for shipped in "$BREVANE_SHIPPED_CONF"/*.cfg; do
    run "$Q60" -F "$shipped"
    expect_status 0 "shipped scenario $(basename "$shipped") reads"
    expect_no_line "ERROR" "shipped scenario $(basename "$shipped") without errors"
done

# --- reports
reports="$work/reports dir; touch pwned3 \$(touch pwned4)/new"
run "$Q60" -c "$reports"
expect_status 0 "-c"
for sub in getbios getcpu getmemory getsyseth getpdisk getraid getpsu; do
    expect_file_text "$reports/${sub}_info.txt" "report of $sub" "-c leaves ${sub}_info.txt"
done
expect_count 7 "$(ls "$reports" | wc -l)" "-c leaves exactly seven files"
expect_no_file "$work/pwned3" "-c path runs nothing"
expect_no_file "$work/pwned4" "-c path runs nothing"
expect_clean "-c"

touch "$work/plainfile"
run "$Q60" -c "$work/plainfile"
expect_status 1 "-c on a regular file"
expect_clean "-c on a regular file"

# --- the tool directly
run "$Q60" -D getbios
expect_status 0 "-D getbios"
expect_call_like "^<[^>]*><getbios>$" "-D getbios passes exactly one argument"
expect_line "^ report of getbios$" "-D shows the tool's output"

run "$Q60" -D getbiosdetails -A CustomPowerPolicy
expect_call_like "^<[^>]*><getbiosdetails><-A><CustomPowerPolicy>$" "Example4 goes to the tool directly"

# --- remote mode
run "$Q60" -H 10.1.2.3 -U admin -A CustomPowerPolicy -V Performance
expect_line "INFO  : Setting server BIOS with local machine" "-H/-U without -P stays local"
expect_call_like "^<[^>]*><getattr>$" "local listing without connection options"

run "$Q60" -H 10.1.2.3 -U admin -P 'pa ss"wo'\''rd' -A CustomPowerPolicy -V Performance
expect_line "INFO  : Setting server BIOS with Corvel ip : 10.1.2.3" "remote mode line"
expect_call_like "^<[^>]*><-H><10.1.2.3><-U><admin><-P><pa ss\"wo'rd><getattr>$" "listing through the BMC"
expect_call_like "^<[^>]*><-H><10.1.2.3><-U><admin><-P><pa ss\"wo'rd><setbios><-f><" "apply through the BMC"

# --- an unknown option prints the help and the run goes on locally
run "$Q60" -Z
expect_status 0 "unknown option"
expect_line "^  Usage: " "unknown option prints the help"
expect_clean "unknown option"

# --- a signal during a tool call still removes the tree
rm -rf "$record"
QUENDAR_SYSROOT=$Q60 "$brevane" -D hang >"$work/hang.out" 2>&1 &
pid=$!
for _ in $(seq 1 200); do [ -s "$record/hang.pid" ] && break; sleep 0.1; done
kill -TERM "$pid"
wait "$pid"
status=$?
[ -s "$record/hang.pid" ] && kill "$(cat "$record/hang.pid")" 2>/dev/null
expect_status 143 "SIGTERM ends the run by the signal"
expect_clean "SIGTERM"

finish
