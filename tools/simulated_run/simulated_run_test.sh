#!/usr/bin/env bash
# The simulated run's command line: values read strictly, options in any
# order, a clear message for each mistake, and the summary of a whole run.
#   simulated_run_test.sh SIMULATED_RUN
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect NAME STATUS PATTERN ARGS...: the tool exits with STATUS and its
# output (both streams) holds PATTERN.
expect() {
  local name=$1 status=$2 pattern=$3
  shift 3
  local out code=0
  out=$(cd "$work" && "$tool" "$@" 2>&1) || code=$?
  if [[ $code -ne $status ]]; then
    echo "FAIL: $name: exit status $code, expected $status"; failures=$((failures + 1)); return
  fi
  if ! grep -qF -- "$pattern" <<<"$out"; then
    echo "FAIL: $name: output lacks '$pattern':"; tail -5 <<<"$out"; failures=$((failures + 1)); return
  fi
  echo "ok: $name"
}

expect "free space past 32 bits does not wrap to nothing" 0 "identical to the demo data" \
  --free 4294967296
expect "a negative amount is refused" 64 "--free: '-5' is not a whole number of bytes" --free -5
expect "letters are refused" 64 "--free: 'abc' is not a whole number of bytes" --free abc
expect "a number with a stray letter is refused" 64 "'12x' is not a whole number" --free 12x
expect "an amount that fits no clusters is refused" 64 "must be a multiple of 4096" --free 4294967297
expect "milliseconds are whole numbers" 64 "--show-at: 'abc' is not a whole number of milliseconds" \
  --show-at abc
expect "an option without its value" 64 "--free needs a value" --free
expect "an unknown option" 64 "unknown option --bogus" --bogus
expect "free space goes to TEMP's drive, given before" 0 "on drive D:\\ to run the installer" \
  --free 1000 --temp 'D:\TEMP'
expect "free space goes to TEMP's drive, given after" 0 "on drive D:\\ to run the installer" \
  --temp 'D:\TEMP' --free 1000
expect "a suffix counts in 1024s" 0 "identical to the demo data" --free 20G
expect "after -- everything is an argument" 0 "uninstall.client.exe i" -- -x
expect "the mode letter reaches the installer" 0 "uninstall.client.exe x" x
expect "the picture of the progress window" 0 "halfway through the data file" --picture p.png
[[ -s $work/p.png ]] || { echo "FAIL: no picture written"; failures=$((failures + 1)); }

[[ $failures -eq 0 ]] || { echo "$failures failed"; exit 1; }
