#!/usr/bin/env bash
# The launcher imports from the system's own DLLs only: KERNEL32, USER32,
# GDI32 and the runtime DLL msvcrt; and it formats with that DLL's formatter,
# never with mingw-w64's own, which would be most of its size.
#   imports.sh OBJDUMP LAUNCHER_EXE LINK_MAP
source "$(dirname "$0")/lib.sh"
objdump=$1 exe=$2 map=$3

headers=$("$objdump" -p "$exe")
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
echo "imported DLLs: $dlls"
if [[ $dlls == "GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL " ]]; then
  pass "the DLLs are KERNEL32, USER32, GDI32 and msvcrt"
else
  fail "expected exactly GDI32, KERNEL32, msvcrt and USER32"
fi

echo "imported calls:"
awk '/DLL Name:/ {dll = $3} /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[^[:space:]]+$/ {print "  " dll ": " $3}' <<<"$headers"

if grep -qE '^\s+[0-9a-f]+\s+[0-9]+\s+_vsnprintf$' <<<"$headers"; then
  pass "formats with the runtime DLL's _vsnprintf"
else
  fail "_vsnprintf is not imported: the launcher does not format with the runtime DLL"
fi
if grep -qE '__mingw_(pformat|vsnprintf|vsprintf|vfprintf|vprintf)\b' "$map"; then
  fail "mingw-w64's own formatter is linked in: $(grep -oE '__mingw_\w*printf\w*' "$map" | sort -u | tr '\n' ' ')"
else
  pass "mingw-w64's own formatter is not linked in"
fi
finish
