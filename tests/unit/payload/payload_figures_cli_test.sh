#!/usr/bin/env bash
# The payload figures generator as the build runs it: a header for payloads
# that decode to their files, and a refusal, with no output left behind, for
# everything else.
# Usage: payload_figures_cli_test.sh PATH_TO_PAYLOAD_FIGURES PATH_TO_IMPLODE
set -u
tool=$1
implode=$2
source "$(dirname "$0")/../cli_checks.sh"
# run_refused INTENT EXIT_CODE PHRASE ARGS...: the tool exits with EXIT_CODE,
# says PHRASE on stderr and leaves no output file.
run_refused() {
  local intent=$1 code=$2 phrase=$3
  shift 3
  rm -f "$work/out.h" "$work/out.h.part"
  "$tool" "$@" 2>"$work/err"
  check "$intent: exit code" "$code" "$?"
  check "$intent: says '$phrase'" yes "$(grep -qF -- "$phrase" "$work/err" && echo yes || cat "$work/err")"
  check "$intent: no output" no "$([ -e "$work/out.h" ] || [ -e "$work/out.h.part" ] && echo yes || echo no)"
}

yes 'an installer that installs' | head -c 30000 >"$work/installer"
head -c 20000 /dev/urandom >"$work/data"
"$implode" compress --dict 6 --level best "$work/installer" "$work/installer.imp"
"$implode" compress --dict 6 --level best "$work/data" "$work/data.imp"

"$tool" header "$work/installer" "$work/installer.imp" "$work/data" "$work/data.imp" "$work/out.h"
check "header for matching payloads" 0 $?
check "installer length is the stream's size" yes \
  "$(grep -qx "inline constexpr uint32_t installer_payload_length = $(stat -c %s "$work/installer.imp");" \
    "$work/out.h" && echo yes)"
check "data decoded size is the file's size" yes \
  "$(grep -qx 'inline constexpr uint32_t data_decoded_size = 20000;' "$work/out.h" && echo yes)"
check "data CRC-32 is the file's" yes \
  "$(grep -qix "inline constexpr uint32_t data_decoded_crc32 = 0x$(gzip -c "$work/data" | tail -c 8 | head -c 4 |
      od -An -tx4 | tr -d ' ')u;" "$work/out.h" && echo yes)"

# A stream of other content, a stream cut short, and one byte more in the file.
run_refused "stream of another file" 65 "does not decode to" \
  header "$work/installer" "$work/data.imp" "$work/data" "$work/data.imp" "$work/out.h"
head -c 5000 "$work/data.imp" >"$work/cut.imp"
run_refused "stream cut short" 65 "not a complete implode stream" \
  header "$work/installer" "$work/installer.imp" "$work/data" "$work/cut.imp" "$work/out.h"
cp "$work/data" "$work/data_longer"
printf 'x' >>"$work/data_longer"
run_refused "input longer than the stream's content" 65 "differ from byte 20000" \
  header "$work/installer" "$work/installer.imp" "$work/data_longer" "$work/data.imp" "$work/out.h"

# Sizes are refused before anything is read: sparse files stand in for huge ones.
truncate -s 4294967296 "$work/huge_installer"
run_refused "installer past 32 bits" 65 "at most 4294967295 bytes" \
  header "$work/huge_installer" "$work/installer.imp" "$work/data" "$work/data.imp" "$work/out.h"
truncate -s 1200000000 "$work/big1.imp"
truncate -s 1000000000 "$work/big2.imp"
run_refused "streams past the progress meter's count" 65 "progress meter counts at most 2147483647" \
  header "$work/installer" "$work/big1.imp" "$work/data" "$work/big2.imp" "$work/out.h"
run_refused "missing input" 66 "cannot read '$work/missing'" \
  header "$work/missing" "$work/installer.imp" "$work/data" "$work/data.imp" "$work/out.h"
run_refused "data header of a file past 32 bits" 65 "at most 4294967295 bytes" \
  data-header "$work/huge_installer" "$work/out.h"
run_refused "embedding under a name that is not a name" 64 "not a C++ name" \
  embed "2bytes" "$work/data.imp" "$work/out.h"
run_refused "unknown command" 64 "usage:" frobnicate

"$tool" data-header "$work/data" "$work/out.h"
check "data header of the data file" yes \
  "$(grep -qx 'inline constexpr uint32_t expected_data_size = 20000;' "$work/out.h" && echo yes)"

finish
