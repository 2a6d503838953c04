#!/usr/bin/env bash
# A second launcher: while a window of the progress window's class and title
# exists, a new launcher maximizes the installer's window, touches no file and
# exits with 0.
source "$(dirname "$0")/lib.sh"

maker_pid=
stop_maker() {
  if [[ -n $maker_pid ]]; then
    touch "$WORK/stop"
    wait "$maker_pid" 2>/dev/null || true
  fi
}
trap stop_maker EXIT

mkdir -p "$WORK/temp"
wine_run 90 "$HELPERS/e2e_window_maker.exe" "$(winpath "$WORK/ready")" "$(winpath "$WORK/stop")" \
  --installer --timeout-ms 60000 </dev/null >"$WORK/maker.out" 2>"$WORK/maker.err" &
maker_pid=$!
wait_for_file 30 "$WORK/ready" || { cat "$WORK/maker.err"; fail "the window maker did not get ready"; }

code=0
run_launcher 30 "$(winpath "$WORK/temp")" </dev/null >"$WORK/launcher.log" 2>&1 || code=$?
cat "$WORK/launcher.log"

touch "$WORK/stop"
maker_code=0
wait "$maker_pid" || maker_code=$?
maker_pid=
tr -d '\r' <"$WORK/maker.out" >"$WORK/maker.txt"
cat "$WORK/maker.txt" "$WORK/maker.err"
[[ $maker_code -eq 0 ]] || fail "the window maker ended with $maker_code"

[[ $code -eq 0 ]] || fail "exit code $code, expected 0"
grep -qx 'installer_zoomed_at_start=0' "$WORK/maker.txt" || fail "the installer window was maximized before the launcher ran"
grep -qx 'installer_zoomed=1' "$WORK/maker.txt" || fail "the installer window was not maximized"
grep -qx 'installer_visible=1' "$WORK/maker.txt" || fail "the installer window is not visible"
leftovers=$(find "$WORK/temp" -mindepth 1)
[[ -z $leftovers ]] || fail "the second launcher wrote into TEMP: $leftovers"
echo "PASS: second launcher exited with 0 and maximized the installer window"
