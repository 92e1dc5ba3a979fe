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
# A mirror caught mid-sync fails one list or another for a while, and 32-bit libraries that do
# not match the 64-bit ones installed cannot be installed: then the rest is installed without
# them, and the 32-bit ones are tried once more after the lists are read again. Without them the
# x86 tests report skipped, as on a machine that runs no 32-bit programs.
install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
update() {
  $sudo apt-get update -qq || echo "setup: some package lists could not be read" >&2
}
update
install "${missing[@]}" && exit 0
native=() foreign=()
for p in "${missing[@]}"; do
  if [[ "$p" == *:i386 ]]; then foreign+=("$p"); else native+=("$p"); fi
done
[ ${#native[@]} -eq 0 ] || install "${native[@]}"
[ ${#foreign[@]} -gt 0 ] || exit 1 # the packages of this machine's own architecture failed
update
install "${foreign[@]}" ||
  echo "setup: the 32-bit packages (${foreign[*]}) could not be installed; the x86 tests will report skipped" >&2
