#!/usr/bin/env bash
# The progress value is a product in double precision on i686 too: the
# meter multiplies and converts in SSE2 registers, and nothing in the
# launcher uses the x87 unit, whose precision depends on its control word
# (64-bit mantissas unless someone sets it to 53). No machine here runs
# 32-bit code, so the instructions are read instead.
#   progress_in_double.sh OBJDUMP METER_OBJECT LAUNCHER_EXE
source "$(dirname "$0")/lib.sh"
objdump=$1 meter=$2 exe=$3

# Mnemonics only: the second tab-separated field of objdump's lines, with
# --no-show-raw-insn.
mnemonics() { "$objdump" -d --no-show-raw-insn "$1" | awk -F'\t' 'NF >= 2 && $1 ~ /:$/ {split($2, m, " "); print m[1]}'; }

meter_code=$(mnemonics "$meter")
echo "the meter's instructions: $(sort -u <<<"$meter_code" | tr '\n' ' ')"
for needed in cvtsi2sd mulsd cvttsd2si; do
  if grep -qx "$needed" <<<"$meter_code"; then
    pass "the meter uses $needed"
  else
    fail "the meter does not use $needed: its product is not computed in SSE2 registers"
  fi
done
# Every x87 mnemonic starts with f (fild, fmul, fistp, fldcw ...); no other
# instruction the compiler emits here does.
x87=$(mnemonics "$exe" | grep '^f' | sort | uniq -c || true)
if [[ -n $x87 ]]; then
  fail "the launcher uses the x87 unit:"
  echo "$x87"
else
  pass "no x87 instruction in the launcher"
fi
finish
