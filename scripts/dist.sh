#!/usr/bin/env bash
# make dist: one zip under build/dist/ with what a host developer needs: x86/ and x64/ (each
# preset's `kit`: the module, its language libraries, the event message file, both import
# libraries, the reference host), include/ZtServiceMsg.h, ZtServiceMsg.def and INTEGRATION.md.
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
mkdir -p "$stage/x86" "$stage/x64" "$stage/include"
cp "$root/build/windows-x86/kit/"* "$stage/x86/"
cp "$root/build/windows-x64/kit/"* "$stage/x64/"
cp "$root/src/ZtServiceMsg.h" "$stage/include/"
cp "$root/src/ZtServiceMsg.def" "$root/docs/INTEGRATION.md" "$stage/"
zip=$dist/ZtServiceMsg-$version.zip
(cd "$stage" && cmake -E tar cf "$zip" --format=zip INTEGRATION.md ZtServiceMsg.def include x86 x64)
rm -rf "$stage"
echo "Kit: $zip"
python3 "$root/scripts/check-dist.py" "$zip"
