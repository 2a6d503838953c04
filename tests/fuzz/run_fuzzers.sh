#!/bin/sh
# Runs every fuzzer of BUILD_DIR/tests/fuzz for a bounded time, starting from
# a scratch copy of its committed corpus so the source tree is not modified.
# Exits nonzero when a fuzzer finds a crash (its input is kept under
# BUILD_DIR/fuzz-artifacts/).
#
#   tests/fuzz/run_fuzzers.sh BUILD_DIR SECONDS_PER_FUZZER
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS_PER_FUZZER" >&2
    exit 64
fi
build_dir=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")" && pwd)
fuzz_dir=$build_dir/tests/fuzz

fuzzers=""
for f in "$fuzz_dir"/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] && fuzzers="$fuzzers $f"
done
if [ -z "$fuzzers" ]; then
    echo "run_fuzzers: no fuzzers in $fuzz_dir (configure with LAUNCHER_FUZZERS=ON)" >&2
    exit 66
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
artifacts=$build_dir/fuzz-artifacts
mkdir -p "$artifacts"

status=0
for fuzzer in $fuzzers; do
    name=$(basename "$fuzzer")
    corpus=$scratch/$name
    mkdir -p "$corpus"
    # The launcher's build of the decoder starts from the decoder's corpus.
    seeds=$source_dir/corpus/${name%_compact}
    if [ -d "$seeds" ]; then
        cp "$seeds"/* "$corpus"/ 2>/dev/null || true
    fi
    echo "run_fuzzers: $name for ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$corpus" \
        >"$scratch/$name.log" 2>&1; then
        tail -n 60 "$scratch/$name.log" >&2
        echo "run_fuzzers: $name FAILED (inputs in $artifacts)" >&2
        status=1
    else
        grep -E '^(stat::number_of_executed_units|Done)' "$scratch/$name.log" || true
    fi
done
exit $status
