#!/usr/bin/env bash
# The viewer on a live log under Wine (x86, the product; x64 where the machine runs no 32-bit
# programs): following a log that grows by 1,000 lines a second for SECONDS, a search that passes
# every record of a 1,000,000-line log, the match window filled for a rare text and for one that
# half of the lines hold, and a follow tick into a sorted group of 1.2 million rows.
#   bench/viewer/run-live-bench.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-20}
work=$root/build/bench
mkdir -p "$work"
cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
preset=windows-x86
cmake --preset $preset >/dev/null && cmake --build --preset $preset --target live_bench >/dev/null
if ! "$root/cmake/wine-env.sh" can-run "$root/build/$preset/bin/live_bench.exe" 2>/dev/null; then
  preset=windows-x64
  cmake --preset $preset >/dev/null && cmake --build --preset $preset --target live_bench >/dev/null
fi
[ -s "$work/find-1000000.log" ] || "$root/build/native/tools/loggen/zt_loggen" "$work/find-1000000.log" 1000000
"$root/build/native/tools/loggen/zt_loggen" "$work/follow.log" 100000

env=$root/cmake/wine-env.sh
state=$root/build/$preset/wine
winpath() { "$env" run "$state" winepath -w "$1" | tr -d '\r'; }
cd "$root/build/$preset/bin"
"$env" run "$state" ./live_bench.exe follow "$(winpath "$work/follow.log")" "$seconds"
"$env" run "$state" ./live_bench.exe find "$(winpath "$work/find-1000000.log")"
"$env" run "$state" ./live_bench.exe sorted "$(winpath "$work/sorted-group.log")" 1200000
"$env" run "$state" ./live_bench.exe matches "$(winpath "$work/find-1000000.log")" "drei Leerzeichen" '="0"'
"$env" stop "$state"
