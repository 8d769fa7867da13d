#!/bin/sh
# Writes the configuration of the carried top to $1: procps rc format "Id:i",
# fifteen lines ending in CR LF. The field lists are byte strings (bit 7 set
# marks a shown column), so every line is spelled out with printf escapes.
set -eu
out=${1:?usage: make-toprc.sh <output file>}
tmp="$out.tmp.$$"
trap 'rm -f "$tmp"' EXIT

# bytes <hex>...: the given bytes, unchanged.
bytes() { for b in "$@"; do printf "\\$(printf '%03o' "0x$b")"; done; }
line() { printf '%s\r\n' "$1"; }
fields() { printf '%s\tfieldscur=' "$1"; shift; bytes "$@"; printf '\r\n'; }
tail26='46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F 60 61 62 63 64 65 66 67 68 69 6A'
{
  line "top's Config File (Linux processes with windows)"
  line "Id:i, Mode_altscr=0, Mode_irixps=1, Delay_time=3.0, Curwin=0"
  fields Def A5 A8 B3 B4 BB BD C0 C4 B7 BA B9 C5 26 27 29 2A 2B 2C 2D 2E 2F 30 31 32 35 36 38 3C 3E 3F 41 42 43 $tail26
  line "	winflags=193844, sortindx=18, maxtasks=0, graph_cpus=0, graph_mems=0"
  line "	summclr=1, msgsclr=1, headclr=3, taskclr=1"
  fields Job A5 A6 B9 B7 BA 28 B3 B4 C4 BB BD 40 3C A7 C5 29 2A 2B 2C 2D 2E 2F 30 31 32 35 36 38 3E 3F 41 42 43 $tail26
  line "	winflags=193844, sortindx=0, maxtasks=0, graph_cpus=0, graph_mems=0"
  line "	summclr=6, msgsclr=6, headclr=7, taskclr=6"
  fields Mem A5 BA BB 3C BD BE BF C0 C1 4D 42 4E C3 44 33 34 B7 C5 26 27 28 29 2A 2B 2C 2D 2E 2F 30 31 32 35 36 38 39 46 47 48 49 4A 4B 4C 4F 50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F 60 61 62 63 64 65 66 67 68 69 6A
  line "	winflags=193844, sortindx=21, maxtasks=0, graph_cpus=0, graph_mems=0"
  line "	summclr=5, msgsclr=5, headclr=4, taskclr=5"
  fields Usr A5 A6 A7 A8 AA B0 B9 B7 BA C4 C5 29 2B 2C 2D 2E 2F 31 32 33 34 35 36 38 3B 3C 3D 3E 3F 40 41 42 43 $tail26
  line "	winflags=193844, sortindx=3, maxtasks=0, graph_cpus=0, graph_mems=0"
  line "	summclr=3, msgsclr=3, headclr=2, taskclr=3"
  line "Fixed_widest=0, Summ_mscale=1, Task_mscale=0, Zero_suppress=0"
} > "$tmp"
mv "$tmp" "$out"
trap - EXIT
