#!/usr/bin/env bash
# stop-bmcsim.sh <workdir>: stops the simulator started in <workdir>.
work=$1
if [ -s "$work/pid" ]; then
    kill "$(cat "$work/pid")" 2>/dev/null || true
    rm -f "$work/pid"
fi
