#!/usr/bin/env bash
# The host's longest dispatch while the viewer works, under Wine (x64; x86 where this machine
# runs 32-bit programs and ZT_BENCH_ARCH=x86): a 2 GiB 8-bit log and a log of 200,000
# computers, each with one line at its end that holds a text no other line does.
#   bench/viewer/run-dispatch-bench.sh [quick|load]   (quick: a 1,000,000-line log only; load:
#                                                      the 2 GiB log's open and close only)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/bench
preset=windows-${ZT_BENCH_ARCH:-x64}
mkdir -p "$work"

cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target dispatch_bench >/dev/null
gen=$root/build/native/tools/loggen/zt_loggen
steps=()
marker="Marke am Ende des Protokolls"
make_marked_log() {
  [ -s "$work/$1" ] && return 0
  "$gen" "$work/$1" "${@:2}"
  printf '07.12.2026 23:59:59   Host="PC1" Process="Bench.exe" Traceclass="2" Text="%s"\r\n' "$marker" >>"$work/$1"
}
if [ "${1:-}" = quick ]; then
  make_marked_log dispatch-1m.log 1000000
  logs=(dispatch-1m.log)
elif [ "${1:-}" = load ]; then
  make_marked_log dispatch-big8.log 16000000 1
  logs=(dispatch-big8.log)
  steps=(load)
else
  make_marked_log dispatch-big8.log 16000000 1
  make_marked_log dispatch-hosts200k.log 1000000 1 --hosts 200000
  logs=(dispatch-big8.log dispatch-hosts200k.log)
fi

env=$root/cmake/wine-env.sh
state=$root/build/$preset/wine
cd "$root/build/$preset/bin"
for log in "${logs[@]}"; do
  echo "== $log"
  "$env" run "$state" ./dispatch_bench.exe "$("$env" run "$state" winepath -w "$work/$log" | tr -d '\r')" "$marker" \
    "${steps[@]}"
done
"$env" stop "$state"
