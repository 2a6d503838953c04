#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root), builds the host tree with the
# sanitizers and then the two Windows trees, which use its tools, runs every test
# with ctest (the i686 tree's are checks of the built launcher), then runs each
# fuzzer for a bounded time (built with the fuzz preset).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build build/host -j"$jobs"
# The Windows trees make their payloads with the host tree's tools.
for preset in windows-i686 windows-x86_64; do
  cmake --preset "$preset" -DLAUNCHER_HOST_TOOLS="$PWD/build/host" >/dev/null
  cmake --build "build/$preset" -j"$jobs"
done

ctest --test-dir build/host --output-on-failure -j"$jobs"
# The shipped i686 launcher cannot run here: its tree checks the built file.
ctest --test-dir build/windows-i686 --output-on-failure
ctest --test-dir build/windows-x86_64 --output-on-failure

# Fuzzing from the fuzz preset: optimised, with the sanitizers.
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j"$jobs" --target fuzz_implode_decode fuzz_implode_decode_compact \
  fuzz_implode_roundtrip
tests/fuzz/run_fuzzers.sh build/fuzz "${FUZZ_SECONDS:-60}"
