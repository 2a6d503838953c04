#!/usr/bin/env bash
# An installer of an earlier run still runs from the installer executable's
# path. Wine, as Windows, refuses to delete or overwrite a running program's
# file, so the launcher moves it aside (its path and one underscore), writes
# the new installer under the usual name and runs on normally. The earlier
# program keeps running, and its moved file stays.
#   busy_installer.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR DATA_FILE INSTALLER_EXE
source "$(dirname "$0")/lib.sh"
DATA=$5

earlier_pid=
clean_up() {
  touch "$WORK/stop"
  [[ -z $earlier_pid ]] || wait "$earlier_pid" 2>/dev/null || true
}
trap clean_up EXIT

temp=$WORK/temp
mkdir -p "$temp"
earlier=$HELPERS/e2e_busy_program.exe
cp "$earlier" "$temp/uninstall.client.exe"
wine_run 90 "$temp/uninstall.client.exe" "$(winpath "$WORK/ready")" "$(winpath "$WORK/stop")" \
  --timeout-ms 60000 </dev/null >"$WORK/earlier.log" 2>&1 &
earlier_pid=$!
wait_for_file 30 "$WORK/ready" || fail "the earlier program did not start"

code=0
run_launcher 90 "$(winpath "$temp")" x </dev/null >"$WORK/launcher.log" 2>&1 || code=$?
cat "$WORK/launcher.log"

expect "exit code $code, expected 0" test "$code" -eq 0
expect "the earlier program ended while the launcher ran" kill -0 "$earlier_pid"
expect "the running program was not moved aside to uninstall.client.exe_" \
  cmp "$temp/uninstall.client.exe_" "$earlier"
expect "the new installer executable is left in the temp folder" test ! -e "$temp/uninstall.client.exe"
expect "the data file is not the demo data" cmp "$temp/client.klv.datafile" "$DATA"
normal_events "$(winpath "$temp")" "$(winpath "$temp")" x "$DATA" >"$WORK/expected_events.txt"
expect_events "busy installer executable" "$WORK/expected_events.txt" "$temp"

touch "$WORK/stop"
earlier_code=0
wait "$earlier_pid" || earlier_code=$?
earlier_pid=
expect "the earlier program ended with $earlier_code, expected 0" test "$earlier_code" -eq 0

finish "the running installer's file was moved aside and the run went on normally"
