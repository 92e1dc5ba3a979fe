#!/usr/bin/env bash
# Reads the built binaries' tables: the DLL exports exactly its four undecorated functions,
# nothing built here imports anything but Windows system DLLs (the runtime is linked in) besides
# the C hosts that link the module implicitly, and the MSVC import library defines the symbols an
# MSVC linker looks up for each cdecl export (x86: _Name and __imp__Name; x64: Name, __imp_Name).
#   check_binaries.sh OBJDUMP BIN_DIR LLVM_NM MSVC_LIB CDECL_PREFIX
set -uo pipefail
objdump=$1
bin=$2
nm=$3
msvc_lib=$4
prefix=$5
fail=0

system_dll='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shlwapi|shell32|comctl32|comdlg32|gdiplus|msvcrt|imagehlp|dbghelp|version|psapi|uxtheme|ws2_32|rpcrt4|api-ms-win-[a-z0-9-]+)\.dll$'

check_imports() {
  local file=$1
  while read -r dll; do
    [[ $(basename "$file") == zt_implicit_host_*.exe && $dll == ZtServiceMsg.dll ]] && continue
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

lib_symbols=$("$nm" "$msvc_lib" | awk '$2 == "T" {print $3}')
for name in $expected; do
  for symbol in "$prefix$name" "__imp_$prefix$name"; do
    if ! grep -qx "$symbol" <<<"$lib_symbols"; then
      echo "FAIL: $(basename "$msvc_lib") does not define $symbol"
      fail=1
    fi
  done
done

[ $fail -eq 0 ] && echo "binary tables: 1 passed, 0 failed" || echo "binary tables: 0 passed, 1 failed"
exit $fail
