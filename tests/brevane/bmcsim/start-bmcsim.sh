#!/usr/bin/env bash
# start-bmcsim.sh <workdir> [--cert <pem> --key <pem>] [--user <u>] [--password <p>]
#                 [--mockup <dir>]
# Starts the Redfish simulator on a free port of 127.0.0.1 and prints the
# port. Without --cert/--key it makes a throw-away certificate for
# 127.0.0.1 in <workdir> (cert.pem, key.pem). PATCH bodies are recorded in
# <workdir>/patches.jsonl; the process id is in <workdir>/pid (stop it with
# stop-bmcsim.sh <workdir>).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$1
shift
cert=""
key=""
user=admin
password=secret
mockup=${QUENDAR_REDFISH_MOCKUP:-$(cd "$here/../../fixtures/redfish/public-rackmount1" && pwd)}
while [ $# -gt 0 ]; do
    case $1 in
        --cert) cert=$2; shift 2 ;;
        --key) key=$2; shift 2 ;;
        --user) user=$2; shift 2 ;;
        --password) password=$2; shift 2 ;;
        --mockup) mockup=$2; shift 2 ;;
        *) echo "start-bmcsim.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
mkdir -p "$work"
if [ -z "$cert" ]; then
    cert=$work/cert.pem
    key=$work/key.pem
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
        -addext subjectAltName=IP:127.0.0.1,DNS:localhost \
        -keyout "$key" -out "$cert" >/dev/null 2>&1
fi
rm -f "$work/port"
python3 "$here/bmcsim.py" --mockup "$mockup" --cert "$cert" --key "$key" \
    --user "$user" --password "$password" \
    --record "$work/patches.jsonl" --port-file "$work/port" \
    >"$work/bmcsim.log" 2>&1 &
echo $! > "$work/pid"
for _ in $(seq 100); do
    if [ -s "$work/port" ]; then
        cat "$work/port"
        exit 0
    fi
    if ! kill -0 "$(cat "$work/pid")" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
echo "start-bmcsim.sh: the simulator did not start:" >&2
cat "$work/bmcsim.log" >&2
exit 1
