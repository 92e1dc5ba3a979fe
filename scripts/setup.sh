#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; skips what is present.
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64
  wine wine32:i386 wine64 xvfb xauth clang-format ninja-build python3 llvm lld)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
# A mirror caught mid-sync fails one list or another for a while: what was read is enough for
# the install unless the install itself says otherwise, and then the lists are read again. When
# the 32-bit libraries still do not agree with the 64-bit ones, the rest is installed without
# them: the x86 tests then report skipped, as on a machine that runs no 32-bit programs.
install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
for attempt in 1 2 3; do
  $sudo apt-get update -qq || echo "setup: some package lists could not be read (attempt $attempt)"
  install "${missing[@]}" && exit 0
  [ "$attempt" -lt 3 ] && sleep 20
done
native=()
for p in "${missing[@]}"; do
  [[ "$p" == *:i386 ]] || native+=("$p")
done
echo "setup: installing without the 32-bit packages; the x86 tests will report skipped" >&2
install "${native[@]}"
