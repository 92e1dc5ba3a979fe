#!/usr/bin/env bash
# Builds and tests every preset given; runs them all even when one fails, then reports.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
failed=()
start=$(date +%s)
for preset in "$@"; do
  echo "== $preset: build"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j"$jobs"; }; then
    failed+=("$preset (build)")
    continue
  fi
  echo "== $preset: test"
  ctest --preset "$preset" -j"$jobs" || failed+=("$preset (tests)")
done
echo "== all presets done in $(( $(date +%s) - start )) s"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
