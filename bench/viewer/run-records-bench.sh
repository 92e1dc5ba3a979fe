#!/usr/bin/env bash
# The records window on the 2 GiB 8-bit log (16,000,000 lines) under Wine, x86: its filters'
# first screens and counts, going to a time and to the next error, the longest dispatch.
#   bench/viewer/run-records-bench.sh [LINES]   (LINES: a smaller log of that many lines)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/bench
mkdir -p "$work"
cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 --target records_bench >/dev/null
lines=${1:-16000000}
log=$work/records-$lines.log
[ "$lines" = 16000000 ] && log=$work/big8.log
[ -s "$log" ] || "$root/build/native/tools/loggen/zt_loggen" "$log" "$lines" 1
env=$root/cmake/wine-env.sh
state=$root/build/windows-x86/wine
cd "$root/build/windows-x86/bin"
"$env" run "$state" ./records_bench.exe "$("$env" run "$state" winepath -w "$log" | tr -d '\r')"
"$env" stop "$state"
