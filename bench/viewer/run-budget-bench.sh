#!/usr/bin/env bash
# The viewer in a 32-bit host (x86 under Wine) on logs larger than its memory budget: records
# shown, time until the tree holds them, the index's and the viewer's memory, and what the host
# can still get afterwards. Logs of 2, 4.5 and 9 GB as generated, and the bad ones: one endless
# line, lines of 1 MB, 80,000,000 one-byte lines, 200,000 computers of a record each. Each is made
# for its run and removed after (the 2 GiB one is kept where the other benchmarks keep it).
#   bench/viewer/run-budget-bench.sh [quick]   (quick: the 2 GiB log and the bad ones)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/bench
mkdir -p "$work"

cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 --target budget_bench >/dev/null
gen=$root/build/native/tools/loggen/zt_loggen
env=$root/cmake/wine-env.sh
state=$root/build/windows-x86/wine

run() { # LOG NAME
  echo "== $2 ($(du -h "$1" | cut -f1))"
  (cd "$root/build/windows-x86/bin" &&
    "$env" run "$state" ./budget_bench.exe "$("$env" run "$state" winepath -w "$1" | tr -d '\r')")
}
temporary() { # NAME MAKER...: made, run, removed
  local log=$work/budget-$1.log
  "${@:2}" >"$log"
  run "$log" "$1"
  rm -f "$log"
}

[ -s "$work/big8.log" ] || "$gen" "$work/big8.log" 16000000 1
run "$work/big8.log" "2 GiB, 16,000,000 lines"
if [ "${1:-}" != quick ]; then
  "$gen" "$work/budget-4g.log" 36000000 2 && run "$work/budget-4g.log" "4.5 GB, 36,000,000 lines"
  rm -f "$work/budget-4g.log"
  "$gen" "$work/budget-9g.log" 72000000 3 && run "$work/budget-9g.log" "9 GB, 72,000,000 lines"
  rm -f "$work/budget-9g.log"
fi
temporary endless-line sh -c 'printf "Host=\"PC1\" Text=\""; head -c 1073741824 /dev/zero | tr "\0" x'
temporary megabyte-lines python3 -c '
import sys
line = "Host=\"PC1\" Text=\"" + "x" * (1 << 20) + "\"\n"
for _ in range(1024): sys.stdout.write(line)'
temporary one-byte-lines python3 -c '
import sys
block = "x\n" * 1000000
for _ in range(80): sys.stdout.write(block)'
temporary computers "$gen" /dev/stdout 200000 4 --hosts 200000
"$env" stop "$state"
