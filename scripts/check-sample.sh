#!/usr/bin/env bash
# The kit as a host developer meets it: unpacks the zip of `make dist`, builds the sample host
# from it for both architectures with MinGW (its Makefile: the import library, and loading at
# run time) and with clang and lld-link against the kit's MSVC import library ZtServiceMsg.lib,
# and runs every program under Wine on the bundled sample log. Each must close everything by
# itself and end with 0 within a minute. 32-bit programs are built and, on a machine that runs
# no 32-bit programs, reported as skipped.
#   check-sample.sh KIT.zip
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
env=$root/cmake/wine-env.sh
state=$root/build/sample-check/wine
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$work"
cmake -E tar xf "$zip"
cp "$root/samples/Events.log" "$work/Events.log"

# clang compiles for the MinGW target (this machine has MinGW's headers, not the Windows SDK);
# lld-link links in the MSVC way, reading the kit's .lib, with MinGW's C runtime in place of
# the MSVC one. That runtime names the image base as GNU ld does, and its 32-bit objects carry
# no safe exception handler tables. With LOAD_AT_RUN_TIME the program needs no import library.
lld_link_build() { # ARCH TRIPLE OUTPUT [DEFINE]
  local arch=$1 triple=$2 out=$3 define=${4:-} import=$1/ZtServiceMsg.lib x86=()
  local crt=/usr/$triple/lib gcclib image_base=__ImageBase
  gcclib=$(dirname "$("$triple-gcc" -print-libgcc-file-name)")
  [ "$arch" = x86 ] && image_base=___ImageBase && x86=(/safeseh:no)
  [ -n "$define" ] && import=""
  clang --target="$triple" -std=c99 -Wall -Wextra -Werror -O2 -Iinclude ${define:+-D$define} \
    -c sample/host.c -o "$out.o"
  lld-link /nologo /out:"$out" /subsystem:console /entry:mainCRTStartup "${x86[@]}" \
    /alternatename:__image_base__=$image_base /libpath:"$crt" /libpath:"$gcclib" \
    "$crt/crt2.o" "$gcclib/crtbegin.o" "$out.o" ${import:+"$import"} \
    libmingw32.a libgcc.a libgcc_eh.a libmoldname.a libmingwex.a libmsvcrt.a \
    libversion.a libshell32.a libole32.a libuser32.a libkernel32.a "$gcclib/crtend.o"
}

log=$("$env" run "$state" winepath -w "$work/Events.log" | tr -d '\r')
failures=0
for arch in x64 x86; do
  triple=$([ $arch = x64 ] && echo x86_64-w64-mingw32 || echo i686-w64-mingw32)
  make -s -C sample ARCH=$arch CFLAGS="-std=c99 -Wall -Wextra -Werror -O2 -I../include"
  out=sample/build/$arch
  lld_link_build $arch $triple "$out/host-lld.exe"
  lld_link_build $arch $triple "$out/host-lld-loaded.exe" ZT_SAMPLE_LOAD_AT_RUN_TIME
  for program in host host-loaded host-lld host-lld-loaded; do
    exe=$out/$program.exe
    if ! "$env" can-run "$exe"; then
      echo "sample: $arch/$program.exe built; skipped"
      continue
    fi
    if output=$(cd "$out" && timeout 60 "$env" run "$state" "./$program.exe" "$log" 2>&1); then
      echo "sample: $arch/$program.exe passed: $(echo "$output" | tr -d '\r' | paste -sd ' ')"
    else
      echo "sample: $arch/$program.exe FAILED (exit $?): $output" >&2
      failures=$((failures + 1))
    fi
  done
done
"$env" stop "$state"
exit $((failures > 0))
