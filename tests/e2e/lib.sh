# Shared by the end-to-end drivers. Sourced with the driver's arguments:
#   STATE_DIR LAUNCHER_EXE HELPER_DIR
# STATE_DIR holds what the setup fixture prepared: the Wine prefix and the
# number of the Xvfb display.
set -euo pipefail

[[ $# -ge 3 ]] || { echo "usage: $0 STATE_DIR LAUNCHER_EXE HELPER_DIR" >&2; exit 2; }
STATE_DIR=$1
LAUNCHER=$2
HELPERS=$3

WINE=/usr/lib/wine/wine64
export WINEPREFIX=$STATE_DIR/wineprefix
export WINEDEBUG=-all
# Never offer to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="

[[ -s $STATE_DIR/display ]] || { echo "FAIL: no display; the setup fixture did not run" >&2; exit 1; }
DISPLAY=:$(<"$STATE_DIR/display")
export DISPLAY

# A fresh, empty working folder per driver.
WORK=$STATE_DIR/work/$(basename "$0" .sh)
rm -rf "$WORK"
mkdir -p "$WORK"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Exit code 77 is registered as the drivers' SKIP_RETURN_CODE.
skip() { echo "SKIPPED: $*"; exit 77; }

# The Windows name of a Unix path (Wine maps / to drive Z:).
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# wine_run SECONDS PROGRAM ARGS...: runs a Windows program, bounded in time, and
# returns its exit code (124 when it had to be stopped).
wine_run() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" "$WINE" "$@"
}

# wait_for_file SECONDS PATH: true once PATH exists.
wait_for_file() {
  local deadline=$((SECONDS + $1))
  while [[ ! -e $2 ]]; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# What the launcher's runs add to the environment of the launcher and so of
# the installer it starts: the demo installer ends as soon as it has checked
# the data file. A driver that wants it to stay empties the array.
launcher_environment=(KELVARA_DEMO_INSTALLER_QUICK=1)

# run_launcher SECONDS TEMP_VALUE [ARGUMENT...]: runs the launcher with TEMP set
# on the Windows side and returns its exit code (124 when it had to be ended).
# TEMP_VALUE "-" runs it with TEMP removed.
run_launcher() {
  local seconds=$1 temp=$2
  shift 2
  wine_run $((seconds + 15)) "$HELPERS/e2e_run_env.exe" --timeout-ms $((seconds * 1000)) \
    "$(temp_setting "$temp")" "${launcher_environment[@]}" -- "$(winpath "$LAUNCHER")" "$@"
}

# run_launcher_line SECONDS TEMP_VALUE COMMAND_LINE: the same, started with
# exactly COMMAND_LINE, whatever program name it begins with.
run_launcher_line() {
  local seconds=$1 temp=$2 line=$3
  wine_run $((seconds + 15)) "$HELPERS/e2e_run_env.exe" --timeout-ms $((seconds * 1000)) \
    "$(temp_setting "$temp")" "${launcher_environment[@]}" \
    --raw "$(winpath "$LAUNCHER")" "$(printf '%s' "$line" | od -An -v -tx1 | tr -d ' \n')"
}

temp_setting() { if [[ $1 == - ]]; then echo -TEMP; else echo "TEMP=$1"; fi; }

# read_box CAPTION [--keep]: reads a message box with that caption into
# $WORK/box.txt and presses its OK button (or, with --keep, leaves it open);
# sets box_code to the reader's exit code. What the reader says of the box's
# buttons, icon and owner goes to $WORK/box.err.
read_box() {
  box_code=0
  wine_run 40 "$HELPERS/e2e_box_reader.exe" "$@" --timeout-ms 30000 \
    </dev/null >"$WORK/box.txt" 2>"$WORK/box.err" || box_code=$?
}

# close_box CAPTION: presses OK in a message box with that caption.
close_box() {
  wine_run 40 "$HELPERS/e2e_box_reader.exe" "$1" --timeout-ms 30000 </dev/null >/dev/null 2>&1
}

# read_error_box: read_box for the launcher's "Error" box.
read_error_box() { read_box Error; }

# wait_launcher: waits for the launcher started in the background as
# $launcher_pid, shows its log and sets code to its exit code.
wait_launcher() {
  code=0
  wait "$launcher_pid" || code=$?
  launcher_pid=
  cat "$WORK/launcher.log"
}

# expect WHAT COMMAND...: runs the check COMMAND; when it fails, says WHAT went
# wrong and counts it in $failures. A driver ends with finish.
failures=0
expect() {
  local what=$1
  shift
  if ! "$@"; then
    echo "FAIL: $what"
    ((++failures))
  fi
}

# finish PASS_MESSAGE: fails when any expectation failed, else passes.
finish() {
  ((failures == 0)) || fail "$failures check(s) failed"
  echo "PASS: $1"
}

# has_line FILE REGEX: FILE has a line matching the extended REGEX.
has_line() { grep -qE -- "$2" "$1"; }

# installer_log FOLDER: the demo installer's log in that temp folder, without
# carriage returns; nothing when it wrote none.
installer_log() { tr -d '\r' <"$1/kelvara-demo-installer.log" 2>/dev/null || true; }

# log_events LOG: the log's lines without their times.
log_events() { sed -E 's/^[0-9]+ ms: //' "$1"; }

# has_event LOG TEXT: one of the log's lines, without its time, is exactly TEXT.
# (grep reads to the end: one that stopped early would leave sed to die of
# SIGPIPE and fail the pipeline.)
has_event() { log_events "$1" | grep -Fx -- "$2" >/dev/null; }

# event_count LOG TEXT: how many of the log's lines are exactly TEXT.
event_count() { log_events "$1" | grep -cFx -- "$2" || true; }

# crc32_of FILE: the file's CRC-32 in upper-case hex, as the demo installer logs it.
crc32_of() { gzip -c "$1" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' \n' | tr a-f A-F; }

# start_hold DATA_FILE: starts e2e_launcher_hold in the background for the
# launcher about to run, to hold it while it writes DATA_FILE (a Unix path).
# wait_held then waits until the launcher is held, release_hold lets it go.
hold_pid=
start_hold() {
  rm -f "$WORK/held" "$WORK/release"
  wine_run 90 "$HELPERS/e2e_launcher_hold.exe" "$(winpath "$1")" "$(winpath "$WORK/held")" \
    "$(winpath "$WORK/release")" --timeout-ms 60000 </dev/null >"$WORK/hold.out" 2>"$WORK/hold.err" &
  hold_pid=$!
}
wait_held() {
  wait_for_file 60 "$WORK/held" && return
  cat "$WORK/hold.err"
  return 1
}
release_hold() {
  [[ -n $hold_pid ]] || return 0
  touch "$WORK/release"
  local hold_code=0
  wait "$hold_pid" || hold_code=$?
  hold_pid=
  ((hold_code == 0)) || { cat "$WORK/hold.err"; echo "the launcher hold ended with $hold_code"; }
}

# held NAME: a value that e2e_launcher_hold wrote when it held the launcher.
held() { tr -d '\r' <"$WORK/held" | sed -n "s/^$1=//p"; }

# wait_for_event SECONDS FOLDER TEXT: true once the demo installer's log in
# that temp folder has the line TEXT (without its time).
wait_for_event() {
  local deadline=$((SECONDS + $1))
  until has_event <(installer_log "$2") "$3"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# normal_events FOLDER TEMP_VALUE MODE DATA_FILE [INSTALLER_FOLDER]: the demo
# installer's log, without times and without the answer to its show command
# (see expect_events), of a normal run in the temp folder FOLDER (as the
# launcher writes it) with TEMP set to TEMP_VALUE and the mode letter MODE,
# carrying DATA_FILE. INSTALLER_FOLDER is the same folder as the installer
# writes it, from TEMP (default FOLDER).
normal_events() {
  local folder=$1 temp_value=$2 mode=$3 own=${5:-$1} size crc
  size=$(stat -c %s "$4")
  crc=$(crc32_of "$4")
  cat <<END
started
command line: $folder\\uninstall.client.exe $mode
TEMP: $temp_value
window shown
command 55555 received
hide command sent to the progress window: answered 1
data file $own\\client.klv.datafile: $size bytes, CRC-32 $crc
expected $size bytes, CRC-32 $crc: complete
marker file $own\\killme_a created
marker file $own\\killme_b created
end, exit code 0
END
}

# expect_events WHAT EXPECTED_FILE FOLDER: the demo installer's log in the temp
# folder FOLDER (a Unix path), without times, is EXPECTED_FILE, and the
# launcher answered the installer's show command with 1; else shows the
# difference and counts a failure. The answer's place in the log is left
# out of the comparison: when the launcher takes the show command only in
# its search for the installer's window, just before it sends the hide
# command, the installer handles that hide command while it still waits for
# the answer, and logs the answer after it.
expect_events() {
  local seen=$WORK/events.seen answer="show command sent to the progress window: answered 1"
  log_events <(installer_log "$3") | grep -vFx -- "$answer" >"$seen" || true
  if ! diff -u "$2" "$seen"; then
    echo "FAIL: $1: the demo installer's log differs (expected, then seen, above)"
    ((++failures))
  fi
  expect "$1: the launcher did not answer the show command with 1" \
    test "$(event_count <(installer_log "$3") "$answer")" -eq 1
}
