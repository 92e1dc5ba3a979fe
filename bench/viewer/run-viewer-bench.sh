#!/usr/bin/env bash
# The viewer on large logs under Wine (x86, the product): time from CreateDiagnoseDlg to a
# filled tree, filling the list with the largest group, sorting it by a header click, and the
# process's peak working set. Two logs of 1,000,000 generated lines: as generated (many small
# groups) and with every line on one computer (groups of about 200,000 records and more).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
lines=${1:-1000000}
work=$root/build/bench
mkdir -p "$work"

cmake --preset native >/dev/null && cmake --build --preset native --target zt_loggen >/dev/null
cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 --target viewer_bench >/dev/null
"$root/build/native/tools/loggen/zt_loggen" "$work/viewer.log" "$lines"
sed -E 's/Host="[^"]*"/Host="PC1"/' "$work/viewer.log" >"$work/viewer-onehost.log"

env=$root/cmake/wine-env.sh
state=$root/build/windows-x86/wine
cd "$root/build/windows-x86/bin"
for log in viewer.log viewer-onehost.log; do
  echo "== $log"
  "$env" run "$state" ./viewer_bench.exe "$("$env" run "$state" winepath -w "$work/$log" | tr -d '\r')"
done
"$env" stop "$state"
