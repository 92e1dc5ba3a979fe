#!/usr/bin/env bash
# The timeline window on the 2 GiB 8-bit log (16,000,000 lines) under Wine: the whole log's
# timeline from the command to the painted window, the largest group's after the list, and the
# memory the window adds. The x86 build (the product); the x64 build where 32-bit programs
# cannot run.
#   bench/viewer/run-timeline-bench.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-2}
work=$root/build/bench
mkdir -p "$work"
cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
[ -s "$work/big8.log" ] || "$root/build/native/tools/loggen/zt_loggen" "$work/big8.log" 16000000 1

env=$root/cmake/wine-env.sh
preset=windows-x86
cmake --preset $preset >/dev/null && cmake --build --preset $preset --target timeline_bench >/dev/null
if ! "$env" can-run "$root/build/$preset/bin/timeline_bench.exe"; then
  preset=windows-x64
  cmake --preset $preset >/dev/null && cmake --build --preset $preset --target timeline_bench >/dev/null
fi
state=$root/build/$preset/wine
cd "$root/build/$preset/bin"
log=$("$env" run "$state" winepath -w "$work/big8.log" | tr -d '\r')
echo "== $preset"
for ((run = 1; run <= runs; ++run)); do
  "$env" run "$state" ./timeline_bench.exe "$log"
done
"$env" stop "$state"
