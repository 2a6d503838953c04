#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), builds the host tree with the
# sanitizers and the two Windows trees, runs every test with ctest, then runs each
# fuzzer for a bounded time (built with the fuzz preset).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build build/host -j"$jobs"
for preset in windows-i686 windows-x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j"$jobs"
done

ctest --test-dir build/host --output-on-failure -j"$jobs"
ctest --test-dir build/windows-x86_64 --output-on-failure

# Fuzzing from the fuzz preset: optimised, with the sanitizers.
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j"$jobs" --target fuzz_implode_decode fuzz_implode_roundtrip
tests/fuzz/run_fuzzers.sh build/fuzz "${FUZZ_SECONDS:-60}"
