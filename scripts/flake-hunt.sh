#!/usr/bin/env bash
# Runs the test programs of the built presets N times (default 10) while two busy processes load
# the machine's cores, and prints how often each program failed. A program that fails in any run
# is a fault to find: its output is kept under build/flake-hunt/.
#   scripts/flake-hunt.sh [N] [PRESET...]   (presets default to windows-x86 windows-x64 native)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-10}
shift || true
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(windows-x86 windows-x64 native)
out=$root/build/flake-hunt
mkdir -p "$out"
rm -f "$out"/*.log

busy=()
for _ in 1 2; do
  (while :; do :; done) &
  busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null' EXIT

declare -A failures runs_of
for ((i = 1; i <= runs; i++)); do
  for preset in "${presets[@]}"; do
    [ -d "build/$preset" ] || { echo "flake-hunt: build/$preset is not built; skipped" >&2; continue; }
    log=$out/$preset-run$i.log
    ctest --preset "$preset" -j"$(nproc)" --output-on-failure >"$log" 2>&1
    while read -r name; do
      runs_of[$preset/$name]=$(( ${runs_of[$preset/$name]:-0} + 1 ))
    done < <(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\(Passed\|Failed\|Timeout\|Not Run\|Exception\).*/\1/p' "$log")
    while read -r name; do
      failures[$preset/$name]=$(( ${failures[$preset/$name]:-0} + 1 ))
    done < <(grep -v '\*\*\*Skipped' "$log" | sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p')
    grep -v '\*\*\*Skipped' "$log" | grep -q '\*\*\*' || rm -f "$log"
  done
  echo "flake-hunt: run $i of $runs done"
done

echo "== failures per program over $runs runs, under a load of 2 busy processes"
status=0
for key in $(printf '%s\n' "${!runs_of[@]}" | sort); do
  printf '%-45s %d of %d\n' "$key" "${failures[$key]:-0}" "${runs_of[$key]}"
  [ "${failures[$key]:-0}" -eq 0 ] || status=1
done
[ $status -eq 0 ] || echo "flake-hunt: the logs of the failed runs are in $out"
exit $status
