#!/usr/bin/env bash
# The records window on the 2 GiB 8-bit log (16,000,000 lines) under Wine, x86: its filters'
# first screens and counts, going to a time and to the next error, the longest dispatch. Twice:
# on the log as generated, whose dates come round again every 28 days (every 90,000 lines a new
# day), and on one in time order, as a station writes it (made on the fly, removed after).
#   bench/viewer/run-records-bench.sh [LINES]   (LINES: smaller logs of that many lines)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/bench
mkdir -p "$work"
cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 --target records_bench >/dev/null
lines=${1:-16000000}
gen=$root/build/native/tools/loggen/zt_loggen
log=$work/records-$lines.log
[ "$lines" = 16000000 ] && log=$work/big8.log
[ -s "$log" ] || "$gen" "$log" "$lines" 1
ordered=$work/records-ordered-$lines.log
trap 'rm -f "$ordered"' EXIT
"$gen" "$ordered" "$lines" 1 --in-time-order
env=$root/cmake/wine-env.sh
state=$root/build/windows-x86/wine
cd "$root/build/windows-x86/bin"
for each in "$log" "$ordered"; do
  echo "== $(basename "$each")"
  "$env" run "$state" ./records_bench.exe "$("$env" run "$state" winepath -w "$each" | tr -d '\r')"
done
"$env" stop "$state"
