#!/usr/bin/env bash
# A plain run: TEMP names a folder on a drive with plenty of room, nothing else
# is running; the launcher runs through and exits with 0 without any message box.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/temp"
code=0
run_launcher 90 "$(winpath "$WORK/temp")" </dev/null >"$WORK/launcher.log" 2>&1 || code=$?
cat "$WORK/launcher.log"
[[ $code -ne 124 ]] || fail "the launcher did not end (a message box may have been left open)"
[[ $code -eq 0 ]] || fail "exit code $code, expected 0"
echo "PASS: plain run exited with 0"
