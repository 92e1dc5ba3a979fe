#!/usr/bin/env bash
# The host's growth per viewer opened and closed (and per information dialog, for reference),
# under Wine with the x86 product: prints the working set's growth per round after warm-up.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-400}
cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 --target viewer_rounds_bench >/dev/null
env=$root/cmake/wine-env.sh
state=$root/build/windows-x86/wine
cd "$root/build/windows-x86/bin"
"$env" run "$state" ./viewer_rounds_bench.exe "$rounds"
"$env" stop "$state"
