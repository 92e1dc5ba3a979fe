#!/usr/bin/env bash
# Builds the diagnose fuzz target with clang (ASan, UBSan, libFuzzer) and runs it.
#   tests/native/diagnose/run-fuzz.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../../.."
seconds=${1:-60}
build=${2:-build/fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_SANITIZE=ON >/dev/null
cmake --build "$build" -j2 --target zt_diagnose_fuzz
mkdir -p "$build/fuzz-corpus"
cp samples/Events.log "$build/fuzz-corpus/" 2>/dev/null || true
"$build/tests/native/diagnose/zt_diagnose_fuzz" -max_total_time="$seconds" -max_len=4096 "$build/fuzz-corpus"
