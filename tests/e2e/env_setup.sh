#!/usr/bin/env bash
# Setup fixture of the end-to-end tests: starts an Xvfb display and makes sure
# the Wine prefix exists, so that the tests need not create it while they run,
# with the launcher's and the installer's windows unmanaged (no window manager
# runs on Xvfb).
#   env_setup.sh STATE_DIR
set -euo pipefail
STATE_DIR=$1
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
mkdir -p "$STATE_DIR"

for tool in "$WINE" "$WINESERVER"; do
  [[ -x $tool ]] || { echo "FAIL: $tool missing (Debian package wine64)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb missing (Debian package xvfb)" >&2; exit 1; }

rm -f "$STATE_DIR/display" "$STATE_DIR/display.pending" "$STATE_DIR/xvfb.pid"

# Xvfb picks a free display number itself and writes it to fd 3 once it
# accepts connections. All its output goes to files: an inherited ctest pipe
# would keep this test from ending.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
  3>"$STATE_DIR/display.pending" </dev/null >"$STATE_DIR/xvfb.log" 2>&1 &
echo $! >"$STATE_DIR/xvfb.pid"
deadline=$((SECONDS + 20))
until [[ -s $STATE_DIR/display.pending ]]; do
  if ! kill -0 "$(<"$STATE_DIR/xvfb.pid")" 2>/dev/null || ((SECONDS >= deadline)); then
    echo "FAIL: Xvfb did not start:" >&2
    cat "$STATE_DIR/xvfb.log" >&2
    exit 1
  fi
  sleep 0.1
done
display=$(tr -dc '0-9' <"$STATE_DIR/display.pending")
echo "$display" >"$STATE_DIR/display"
echo "Xvfb pid $(<"$STATE_DIR/xvfb.pid") on display :$display"

export WINEPREFIX=$STATE_DIR/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=:$display
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "creating the Wine prefix $WINEPREFIX"
  timeout -k 5 180 "$WINE" wineboot -i </dev/null >"$STATE_DIR/wineboot.log" 2>&1 \
    || { echo "FAIL: wineboot -i failed:" >&2; cat "$STATE_DIR/wineboot.log" >&2; exit 1; }
fi
reg=$(cd "$(dirname "$0")" && pwd)/no_window_manager.reg
timeout -k 5 60 "$WINE" reg import "Z:${reg//\//\\}" </dev/null >"$STATE_DIR/reg.log" 2>&1 \
  || { echo "FAIL: reg import $reg failed:" >&2; cat "$STATE_DIR/reg.log" >&2; exit 1; }
timeout -k 5 120 "$WINESERVER" -w
echo "Wine prefix ready: $WINEPREFIX"
