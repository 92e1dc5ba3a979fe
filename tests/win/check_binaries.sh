#!/usr/bin/env bash
# Reads the built binaries' tables: the DLL exports exactly its four undecorated functions, and
# nothing built here imports anything but Windows system DLLs (the runtime is linked in).
set -uo pipefail
objdump=$1
bin=$2
fail=0

system_dll='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shlwapi|shell32|comctl32|gdiplus|msvcrt|imagehlp|dbghelp|version|psapi|uxtheme|ws2_32|rpcrt4|api-ms-win-[a-z0-9-]+)\.dll$'

check_imports() {
  local file=$1
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system_dll"; then
      echo "FAIL: $(basename "$file") imports $dll"
      fail=1
    fi
  done < <("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
}

for file in "$bin"/*.dll "$bin"/*.exe "$bin"/*.LNG; do
  [ -e "$file" ] && check_imports "$file"
done

# The export table of the product: names only, sorted.
exports=$("$objdump" -p "$bin/ZtServiceMsg.dll" |
  awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^[ \t]*$/{t=0}' | sort | tr '\n' ' ')
expected="CreateDiagnoseDlg CreateInfoDlg DestroyOpenDlg NotifyMsgBoxTmp "
if [ "$exports" != "$expected" ]; then
  echo "FAIL: ZtServiceMsg.dll exports '$exports', expected '$expected'"
  fail=1
fi

# Language libraries carry resources only: no entry point, no imports (the linker's 16-byte
# constructor-list markers in .text are data).
for lng in "$bin"/*.LNG; do
  headers=$("$objdump" -p "$lng")
  if ! grep -Eq '^AddressOfEntryPoint[[:space:]]+0+$' <<<"$headers" || grep -q 'DLL Name:' <<<"$headers"; then
    echo "FAIL: $(basename "$lng") is not resource-only"
    fail=1
  fi
done

[ $fail -eq 0 ] && echo "binary tables: 1 passed, 0 failed" || echo "binary tables: 0 passed, 1 failed"
exit $fail
