#!/usr/bin/env bash
# The diagnose model's benchmark: builds the benchmark (native without sanitizers, and the x86
# build for Wine), generates a log of LINES lines, and loads it RUNS times each natively, under
# Wine and in lnav (installed here when missing, with a format for this line grammar).
# Prints the median of each figure and the ratio to lnav.
#   bench/run-model-bench.sh [LINES] [RUNS] [BUILD_ROOT]
# ZT_BENCH_ARCH=x64 measures the 64-bit build under Wine instead, for a machine whose kernel
# runs no 32-bit programs; ZT_BENCH_UTF16=1 makes the log UTF-16.
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
runs=${2:-5}
root=${3:-build/bench}
jobs=${ZT_BENCH_JOBS:-2}

echo "== building ($root)"
cmake -S . -B "$root/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZT_SANITIZE=OFF >/dev/null
cmake --build "$root/native" -j"$jobs" --target zt_loggen zt_model_bench >/dev/null
arch=${ZT_BENCH_ARCH:-x86}
windows="$root/windows-$arch"
cmake --preset "windows-$arch" -B "$windows" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$windows" -j"$jobs" --target zt_model_bench >/dev/null

utf16=()
[ -z "${ZT_BENCH_UTF16:-}" ] || utf16=(--utf16)
log="$(pwd)/$root/diagnose-$lines${utf16[*]:+-utf16}.log"
[ -s "$log" ] || "$root/native/tools/loggen/zt_loggen" "$log" "$lines" 1 "${utf16[@]}"
echo "== log: $log, $(stat -c %s "$log") bytes, $lines lines"

if ! command -v lnav >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq lnav >/dev/null
fi
# lnav reads its formats from $HOME/.lnav: a private home keeps the user's own untouched.
lnav_home=$(mktemp -d)
trap 'rm -rf "$lnav_home"' EXIT
HOME=$lnav_home lnav -i bench/lnav/zt_diagnose_log.json >/dev/null

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/^$1: \([0-9.]*\).*/\1/p"; }

native_s=() native_mem=() wine_s=() wine_mem=() lnav_s=() lnav_mem=() sort0=() sort1=() lvsort=()
wine_state="$windows/wine"
cmake/wine-env.sh start "$wine_state"
for run in $(seq "$runs"); do
  out=$("$root/native/bench/zt_model_bench" "$log")
  native_s+=("$(echo "$out" | field 'parse+index')")
  native_mem+=("$(echo "$out" | sed -n 's/^peak memory of the load: .* = \([0-9.]*\) x.*/\1/p')")
  sort0+=("$(echo "$out" | sed -n 's/^SortRecordRows .* column 0: \([0-9.]*\) s/\1/p')")
  sort1+=("$(echo "$out" | sed -n 's/^SortRecordRows .* column 1: \([0-9.]*\) s/\1/p')")
  native_stages=$(echo "$out" | grep '^stages:')
  out=$(cmake/wine-env.sh run "$wine_state" "$windows/bin/zt_model_bench.exe" "Z:$log" | tr -d '\r')
  wine_stages=$(echo "$out" | grep '^stages:')
  wine_s+=("$(echo "$out" | field 'parse+index')")
  wine_mem+=("$(echo "$out" | sed -n 's/^peak memory of the load: .* = \([0-9.]*\) x.*/\1/p')")
  lvsort+=("$(echo "$out" | sed -n 's/^LVM_SORTITEMS .*: \([0-9.]*\) s/\1/p')")
  out=$( { HOME=$lnav_home /usr/bin/time -f "%e %M" lnav -n -c ';SELECT count(*) FROM zt_diagnose_log' "$log" >/dev/null; } 2>&1 | tail -1)
  lnav_s+=("${out% *}")
  lnav_mem+=("${out#* }")
done
cmake/wine-env.sh stop "$wine_state"

size=$(stat -c %s "$log")
n=$(printf '%s\n' "${native_s[@]}" | median)
w=$(printf '%s\n' "${wine_s[@]}" | median)
l=$(printf '%s\n' "${lnav_s[@]}" | median)
lm=$(printf '%s\n' "${lnav_mem[@]}" | median)
echo "== medians of $runs runs"
echo "native parse+index:        $n s, $(awk -v n="$n" -v c="$lines" 'BEGIN { printf "%.0f", c / n }') lines/s, peak $(printf '%s\n' "${native_mem[@]}" | median) x file size"
echo "native, last run:          $native_stages"
echo "$arch under Wine, last run: $wine_stages"
echo "$arch under Wine:            $w s, $(awk -v n="$w" -v c="$lines" 'BEGIN { printf "%.0f", c / n }') lines/s, peak $(printf '%s\n' "${wine_mem[@]}" | median) x file size"
echo "lnav (same file):          $l s, peak $(awk -v m="$lm" -v s="$size" 'BEGIN { printf "%.2f", m * 1024 / s }') x file size (max RSS)"
echo "lnav / native:             $(awk -v a="$l" -v b="$n" 'BEGIN { printf "%.2f", a / b }')"
echo "SortRecordRows 200000 rows: column 0 $(printf '%s\n' "${sort0[@]}" | median) s, column 1 $(printf '%s\n' "${sort1[@]}" | median) s (native)"
echo "LVM_SORTITEMS 100000 rows with CompareRecordItems under Wine: $(printf '%s\n' "${lvsort[@]}" | median) s"
