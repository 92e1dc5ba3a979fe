#!/usr/bin/env python3
"""Checks the kit zip of `make dist` and prints its listing with sizes.

usage: check-dist.py FILE.zip
Exits non-zero, saying what is missing, extra or empty, unless the zip holds exactly the kit's
files.
"""
import sys
import zipfile

PER_ARCH = ["ZtServiceMsg.dll", "ZtServiceMsgDEU.LNG", "ZtServiceMsgENU.LNG", "ZtGenericEventLogx.dll",
            "libZtServiceMsg.dll.a", "ZtServiceMsg.lib", "zthost.exe"]
EXPECTED = {"INTEGRATION.md", "ZtServiceMsg.def", "include/ZtServiceMsg.h"} | {
    f"{arch}/{name}" for arch in ("x86", "x64") for name in PER_ARCH}


def main(path):
    with zipfile.ZipFile(path) as kit:
        files = {info.filename: info for info in kit.infolist() if not info.is_dir()}
    for name in sorted(files):
        print(f"{files[name].file_size:>10}  {files[name].compress_size:>10}  {name}")
    print(f"{sum(i.file_size for i in files.values()):>10}  {sum(i.compress_size for i in files.values()):>10}"
          f"  {len(files)} files (size, packed)")
    problems = [f"missing {n}" for n in sorted(EXPECTED - files.keys())]
    problems += [f"unexpected {n}" for n in sorted(files.keys() - EXPECTED)]
    problems += [f"empty {n}" for n in sorted(files) if files[n].file_size == 0]
    for problem in problems:
        print(f"check-dist: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
