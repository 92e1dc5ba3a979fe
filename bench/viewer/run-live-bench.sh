#!/usr/bin/env bash
# The viewer on a live log under Wine (x86, the product): following a log that grows by 1,000
# lines a second for SECONDS, a search that passes every record of a 1,000,000-line log, and the
# match window filled for a rare text and for one that half of the lines hold.
#   bench/viewer/run-live-bench.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-20}
work=$root/build/bench
mkdir -p "$work"
cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 --target live_bench >/dev/null
[ -s "$work/find-1000000.log" ] || "$root/build/native/tools/loggen/zt_loggen" "$work/find-1000000.log" 1000000
"$root/build/native/tools/loggen/zt_loggen" "$work/follow.log" 100000

env=$root/cmake/wine-env.sh
state=$root/build/windows-x86/wine
winpath() { "$env" run "$state" winepath -w "$1" | tr -d '\r'; }
cd "$root/build/windows-x86/bin"
"$env" run "$state" ./live_bench.exe follow "$(winpath "$work/follow.log")" "$seconds"
"$env" run "$state" ./live_bench.exe find "$(winpath "$work/find-1000000.log")"
"$env" run "$state" ./live_bench.exe matches "$(winpath "$work/find-1000000.log")" "drei Leerzeichen" '="0"'
"$env" stop "$state"
