#!/usr/bin/env bash
# The launcher keeps the system's protections: it can be loaded at any base
# address (dynamic base, with its relocations), its data pages do not run
# (NX compatible), no section is both written and run, and only code is
# executable; the 64-bit build takes high-entropy addresses as well.
#   hardening.sh OBJDUMP LAUNCHER_EXE
source "$(dirname "$0")/lib.sh"
objdump=$1 exe=$2

headers=$("$objdump" -p "$exe")
characteristics=$((16#$(sed -n 's/^DllCharacteristics\s*//p' <<<"$headers")))
printf 'DllCharacteristics: 0x%04x\n' "$characteristics"
expect_flag() { # expect_flag VALUE NAME
  if (((characteristics & $1) == $1)); then pass "$2"; else fail "$2 ($1) is not set"; fi
}
expect_flag 0x40 DYNAMIC_BASE
expect_flag 0x100 NX_COMPAT
if grep -q 'pei-x86-64' <<<"$("$objdump" -f "$exe")"; then
  expect_flag 0x20 HIGH_ENTROPY_VA
fi

file_flags=$(($(sed -n 's/^Characteristics\s*//p' <<<"$headers")))
if ((file_flags & 0x1)); then
  fail "relocations stripped (IMAGE_FILE_RELOCS_STRIPPED)"
else
  pass "relocations not stripped"
fi
reloc_size=$(awk '/Base Relocation Directory/ {print $4}' <<<"$headers")
if ((16#${reloc_size:-0} > 0)); then
  pass "base relocation directory of 0x$reloc_size bytes"
else
  fail "no base relocations: the loader could not move the image"
fi

# objdump -h: a line per section, then a line of its flags.
while read -r name flags; do
  echo "section $name: $flags"
  code=0 writable=1
  [[ $flags == *CODE* ]] && code=1
  [[ $flags == *READONLY* ]] && writable=0
  if ((code && writable)); then fail "$name is both written and run"; fi
  if [[ $name != .text ]] && ((code)); then fail "$name is executable"; fi
  if [[ $name == .rdata ]] && ((writable)); then fail ".rdata is writable"; fi
done < <("$objdump" -h "$exe" | awk '/^ *[0-9]+ \./ {name = $2; getline; sub(/^ +/, ""); print name, $0}')
finish
