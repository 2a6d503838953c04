#!/usr/bin/env bash
# A second launcher while a first one runs with the demo installer, at two
# moments: while the progress window is shown (the first launcher held
# halfway through the data file, the installer's window minimized by the
# user), and while it is hidden again (the first launcher waiting for the
# installer to end). Each time the second launcher exits with 0 and writes
# nothing into its temp folder; the first time it maximizes the installer's
# window. The first run goes on
# undisturbed to its normal end.
#   second_launcher_during_run.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR DATA_FILE INSTALLER_EXE
source "$(dirname "$0")/lib.sh"
DATA=$5

launcher_pid=
clean_up() {
  release_hold
  [[ -z $launcher_pid ]] || kill "$launcher_pid" 2>/dev/null || true
}
trap clean_up EXIT

first=$WORK/first
mkdir -p "$first" "$WORK/second_shown" "$WORK/second_hidden"
listing() { find "$1" -mindepth 1 -printf '%P\n' | sort; }
installer_window() {
  wine_run 40 "$HELPERS/e2e_window_action.exe" KelvaraClientInstaller "Kelvara Installer" "$1" \
    </dev/null 2>&1 | tr -d '\r'
}
progress_window_state() {
  wine_run 40 "$HELPERS/e2e_window_probe.exe" KLDecompressor "Kelvara Installation" </dev/null 2>&1 |
    tr -d '\r'
}

# second_launcher NAME: runs a second launcher with its own temp folder and
# checks that it exits with 0 and writes nothing anywhere.
second_launcher() {
  local name=$1 second_code=0
  run_launcher 30 "$(winpath "$WORK/$name")" </dev/null >"$WORK/$name.log" 2>&1 || second_code=$?
  cat "$WORK/$name.log"
  expect "$name: the second launcher exited with $second_code, expected 0" test "$second_code" -eq 0
  expect "$name: the second launcher wrote into its temp folder: $(listing "$WORK/$name")" \
    test -z "$(listing "$WORK/$name")"
}

# The first launcher's installer stays until a few seconds after its check.
launcher_environment=()
start_hold "$first/client.klv.datafile"
run_launcher 120 "$(winpath "$first")" </dev/null >"$WORK/launcher.log" 2>&1 &
launcher_pid=$!
wait_held || fail "the first launcher was never held halfway through the data file"

echo "--- the progress window shown: $(progress_window_state | grep visible)"
minimized=$(installer_window minimize)
echo "installer window, minimized: ${minimized//$'\n'/ }"
expect "the installer's window could not be minimized" grep -qx 'iconic=1' <<<"$minimized"
second_launcher second_shown
restored=$(installer_window state)
echo "installer window after the second launcher: ${restored//$'\n'/ }"
expect "the second launcher did not maximize the installer's window" \
  test "$restored" = $'visible=1\niconic=0\nzoomed=1'
release_hold

echo "--- the progress window hidden, the first launcher waiting for the installer"
wait_for_event 60 "$first" "expected $(stat -c %s "$DATA") bytes, CRC-32 $(crc32_of "$DATA"): complete" ||
  fail "the demo installer did not check the data file"
hidden=$(progress_window_state)
echo "progress window: ${hidden//$'\n'/ }"
expect "the progress window is not hidden while the first launcher waits" grep -qx 'visible=0' <<<"$hidden"
second_launcher second_hidden

wait_launcher
expect "the first launcher exited with $code, expected 0" test "$code" -eq 0
expect "the first launcher's data file is not the demo data" cmp "$first/client.klv.datafile" "$DATA"
normal_events "$(winpath "$first")" "$(winpath "$first")" i "$DATA" >"$WORK/expected_events.txt"
expect_events "the first run" "$WORK/expected_events.txt" "$first"

finish "second launchers during a run exited with 0, wrote nothing and brought the installer back"
