#!/usr/bin/env bash
# make dist: one zip under build/dist/ with what a host developer needs: x86/ and x64/ (each
# preset's `kit`: the module, its language libraries, the event message file, both import
# libraries, the reference host), symbols/x86/ and symbols/x64/ (the debug files of the module and
# the reference host, for post-mortem debugging only), include/ZtServiceMsg.h, ZtServiceMsg.def,
# INTEGRATION.md, CHANGES.md and the sample host's source in sample/.
# The Makefile has built the `kit` target of both Windows presets before.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
header=$root/build/windows-x86/generated/ZtVersion.h
if ! cmp -s "$header" "$root/build/windows-x64/generated/ZtVersion.h"; then
  echo "dist: the x86 and x64 builds carry different versions; run make dist again" >&2
  exit 1
fi
version=$(sed -n 's/^#define ZT_VERSION_TEXT "\(.*\)"$/\1/p' "$header")
dist=$root/build/dist
stage=$dist/stage
rm -rf "$dist"
mkdir -p "$stage/include" "$stage/sample" "$stage/symbols"
for arch in x86 x64; do
  mkdir -p "$stage/$arch" "$stage/symbols/$arch"
  cp "$root/build/windows-$arch/kit/"* "$stage/$arch/"
  cp "$root/build/windows-$arch/kit-symbols/"* "$stage/symbols/$arch/"
done
cp "$root/src/ZtServiceMsg.h" "$stage/include/"
cp "$root/sample/host.c" "$root/sample/Makefile" "$stage/sample/"
cp "$root/src/ZtServiceMsg.def" "$root/docs/INTEGRATION.md" "$root/docs/CHANGES.md" "$stage/"
zip=$dist/ZtServiceMsg-$version.zip
(cd "$stage" && cmake -E tar cf "$zip" --format=zip INTEGRATION.md CHANGES.md ZtServiceMsg.def include sample x86 x64 symbols)
rm -rf "$stage"
echo "Kit: $zip"
python3 "$root/scripts/check-dist.py" "$zip"
