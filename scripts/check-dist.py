#!/usr/bin/env python3
"""Checks the kit zip of `make dist` and prints its listing with sizes.

usage: check-dist.py FILE.zip
Exits non-zero, saying what is wrong, unless the zip holds exactly the kit's files, none empty;
the header's version macros name the version in the zip's name and CHANGES.md has a section for
it; the programs to ship carry no debug information but name their debug file, and each debug
file under symbols/ holds it.
"""
import re
import sys
import zipfile

ARCHS = ("x86", "x64")
PER_ARCH = ["ZtServiceMsg.dll", "ZtServiceMsgDEU.LNG", "ZtServiceMsgENU.LNG", "ZtGenericEventLogx.dll",
            "libZtServiceMsg.dll.a", "ZtServiceMsg.lib", "zthost.exe"]
# The binaries with code; their debug information is in symbols/<arch>/<name>.debug.
WITH_SYMBOLS = ["ZtServiceMsg.dll", "zthost.exe"]
EXPECTED = {"INTEGRATION.md", "CHANGES.md", "ZtServiceMsg.def", "include/ZtServiceMsg.h", "sample/host.c",
            "sample/Makefile"} | {f"{arch}/{name}" for arch in ARCHS for name in PER_ARCH} | {
    f"symbols/{arch}/{name}.debug" for arch in ARCHS for name in WITH_SYMBOLS}


def version_problems(path, kit):
    header = kit.read("include/ZtServiceMsg.h").decode()
    parts = [re.search(rf"^#define ZTSERVICEMSG_VERSION_{part} (\d+)$", header, re.M) for part in
             ("MAJOR", "MINOR", "PATCH")]
    if not all(parts):
        return ["include/ZtServiceMsg.h lacks a ZTSERVICEMSG_VERSION_MAJOR, _MINOR or _PATCH number"]
    version = ".".join(part.group(1) for part in parts)
    problems = []
    if not re.search(rf"ZtServiceMsg-{re.escape(version)}\.\d+\.zip$", path):
        problems.append(f"the header says {version}, the zip's name does not")
    if not re.search(rf"^## {re.escape(version)}\b", kit.read("CHANGES.md").decode(), re.M):
        problems.append(f"CHANGES.md has no section '## {version}'")
    return problems


def symbol_problems(kit):
    problems = []
    for arch in ARCHS:
        for name in WITH_SYMBOLS:
            shipped = kit.read(f"{arch}/{name}")
            symbols = kit.read(f"symbols/{arch}/{name}.debug")
            if b".debug_info" in shipped:
                problems.append(f"{arch}/{name} carries debug information")
            if f"{name}.debug\0".encode() not in shipped:
                problems.append(f"{arch}/{name} does not name {name}.debug")
            if b".debug_info" not in symbols:
                problems.append(f"symbols/{arch}/{name}.debug holds no debug information")
    return problems


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
        if not problems:
            problems = version_problems(path, kit) + symbol_problems(kit)
    for problem in problems:
        print(f"check-dist: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
