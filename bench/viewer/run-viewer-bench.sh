#!/usr/bin/env bash
# The viewer on large logs under Wine (x86, the product, in a host that is not large-address-
# aware): time from CreateDiagnoseDlg to a filled tree, filling the list with the largest
# group, sorting it by a header click on the date and on the message, saving it as CSV and
# cancelling a save, and the working set the call adds. The logs:
#   1,000,000 lines as generated, and the same with every line on one computer;
#   2 GiB of 8-bit text (16,000,000 lines) and 2 GiB of UTF-16LE without a mark (8,000,000);
#   200,000 lines on 20,000 computers and 1,000,000 lines on 200,000 computers.
#   bench/viewer/run-viewer-bench.sh [quick]   (quick: the 1,000,000-line logs only)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/bench
mkdir -p "$work"

cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 --target viewer_bench >/dev/null
gen=$root/build/native/tools/loggen/zt_loggen
make_log() { [ -s "$work/$1" ] || "$gen" "$work/$1" "${@:2}"; }
make_log viewer.log 1000000
[ -s "$work/viewer-onehost.log" ] || sed -E 's/Host="[^"]*"/Host="PC1"/' "$work/viewer.log" >"$work/viewer-onehost.log"
logs=(viewer.log viewer-onehost.log)
if [ "${1:-}" != quick ]; then
  make_log big8.log 16000000 1
  make_log big16.log 8000000 1 --utf16
  make_log hosts20k.log 200000 1 --hosts 20000
  make_log hosts200k.log 1000000 1 --hosts 200000
  logs+=(big8.log big16.log hosts20k.log hosts200k.log)
fi

env=$root/cmake/wine-env.sh
state=$root/build/windows-x86/wine
cd "$root/build/windows-x86/bin"
for log in "${logs[@]}"; do
  echo "== $log"
  "$env" run "$state" ./viewer_bench.exe "$("$env" run "$state" winepath -w "$work/$log" | tr -d '\r')"
done
"$env" stop "$state"
