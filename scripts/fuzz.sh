#!/usr/bin/env bash
# A long fuzzing campaign for the implode fuzzers, built with the fuzz preset
# (optimised, with AddressSanitizer and UndefinedBehaviorSanitizer).  Each
# fuzzer runs for SECONDS (default 3600) on one core, starting from the corpus
# kept by earlier campaigns (build/fuzz/corpus/NAME, seeded from the committed
# tests/fuzz/corpus/NAME); what it finds is merged back into the kept corpus,
# minimised.  With --update-seeds the kept corpus is also merged into the
# committed one, to review and commit.  Crashing inputs are kept under
# build/fuzz/fuzz-artifacts/.
#
#   scripts/fuzz.sh [--update-seeds] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

update_seeds=0
if [ "${1:-}" = "--update-seeds" ]; then
  update_seeds=1
  shift
fi
seconds=${1:-3600}

cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target fuzz_implode_decode fuzz_implode_roundtrip

artifacts=build/fuzz/fuzz-artifacts
mkdir -p "$artifacts"
status=0
for name in fuzz_implode_decode fuzz_implode_roundtrip; do
  fuzzer=build/fuzz/tests/fuzz/$name
  kept=build/fuzz/corpus/$name
  seeds=tests/fuzz/corpus/$name
  run=$(mktemp -d)
  mkdir -p "$kept"
  cp "$seeds"/* "$kept"/ 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s from $(find "$kept" -type f | wc -l) inputs"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$name-" "$run" "$kept" 2>"$run.log"; then
    tail -n 60 "$run.log" >&2
    echo "fuzz: $name FAILED (inputs in $artifacts)" >&2
    status=1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$run.log" || true
  # The kept corpus becomes the smallest set of inputs that covers what the
  # kept inputs and this run's new ones cover.
  merged=$(mktemp -d)
  "$fuzzer" -merge=1 "$merged" "$kept" "$run" 2>>"$run.log" >/dev/null
  rm -rf "$kept"
  mv "$merged" "$kept"
  echo "fuzz: $name keeps $(find "$kept" -type f | wc -l) inputs in $kept"
  if [ "$update_seeds" = 1 ]; then
    "$fuzzer" -merge=1 "$seeds" "$kept" 2>>"$run.log" >/dev/null
    echo "fuzz: $name seeds now $(find "$seeds" -type f | wc -l) inputs in $seeds"
  fi
  rm -rf "$run" "$run.log"
done
exit $status
