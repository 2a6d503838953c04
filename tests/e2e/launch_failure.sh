#!/usr/bin/env bash
# A launcher built around an installer file that is not a program: the file
# is written whole, the start fails, the data file is still written in full,
# and only then the box "Can't start process." (no owner, no icon) comes up.
# Once it is dismissed the launcher deletes the installer file and exits with 0.
#   launch_failure.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR DATA_FILE INSTALLER_FILE
source "$(dirname "$0")/lib.sh"
DATA=$5
INSTALLER=$6

launcher_pid=
clean_up() { [[ -z $launcher_pid ]] || kill "$launcher_pid" 2>/dev/null || true; }
trap clean_up EXIT

[[ -f $LAUNCHER ]] || fail "no launcher at $LAUNCHER (built by the target e2e_not_a_program_launcher)"
temp=$WORK/temp
mkdir -p "$temp"
run_launcher 90 "$(winpath "$temp")" </dev/null >"$WORK/launcher.log" 2>&1 &
launcher_pid=$!

read_box "Kelvara Installer" --keep
# What the temp folder holds while the box is up.
box_data_whole=0 box_installer_whole=0
cmp -s "$temp/client.klv.datafile" "$DATA" && box_data_whole=1
cmp -s "$temp/uninstall.client.exe" "$INSTALLER" && box_installer_whole=1
((box_code != 0)) || close_box "Kelvara Installer" || expect "the box did not close" false
wait_launcher

if ((box_code != 0)); then
  expect "no box \"Kelvara Installer\" read and closed (box reader: $box_code, $(<"$WORK/box.err"))" false
else
  expect "the box says '$(<"$WORK/box.txt")', expected \"Can't start process.\"" \
    test "$(<"$WORK/box.txt")" = "Can't start process."
  expect "expected an OK button, no icon and no owner; the box has: $(tr -d '\r' <"$WORK/box.err" | tr '\n' ' ')" \
    test "$(tr -d '\r' <"$WORK/box.err" | sort)" = $'button: OK\nowner: none'
fi
expect "the data file was not complete when the box came up" test $box_data_whole -eq 1
expect "the installer file was not written whole before the start" test $box_installer_whole -eq 1
expect "exit code $code, expected 0" test "$code" -eq 0
expect "the data file is not the demo data" cmp "$temp/client.klv.datafile" "$DATA"
expect "the installer file is left in the temp folder" test ! -e "$temp/uninstall.client.exe"

finish "the failed start was reported after the data file was written, and the run ended with 0"
