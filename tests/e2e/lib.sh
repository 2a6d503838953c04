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

# run_launcher SECONDS TEMP_VALUE [ARGUMENT...]: runs the launcher with TEMP set
# on the Windows side and returns its exit code (124 when it had to be ended).
run_launcher() {
  local seconds=$1 temp=$2
  shift 2
  wine_run $((seconds + 15)) "$HELPERS/e2e_run_env.exe" --timeout-ms $((seconds * 1000)) \
    "TEMP=$temp" -- "$(winpath "$LAUNCHER")" "$@"
}

# read_error_box: reads the launcher's "Error" box into $WORK/box.txt and
# presses its OK button; sets box_code to the reader's exit code (its
# complaints go to $WORK/box.err).
read_error_box() {
  box_code=0
  wine_run 40 "$HELPERS/e2e_box_reader.exe" Error --timeout-ms 30000 \
    </dev/null >"$WORK/box.txt" 2>"$WORK/box.err" || box_code=$?
}

# wait_launcher: waits for the launcher started in the background as
# $launcher_pid, shows its log and sets code to its exit code.
wait_launcher() {
  code=0
  wait "$launcher_pid" || code=$?
  launcher_pid=
  cat "$WORK/launcher.log"
}
