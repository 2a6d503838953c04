#!/usr/bin/env bash
# Cleanup fixture of the end-to-end tests: ends every process of the tests' Wine
# prefix and stops the Xvfb display that the setup fixture started.
#   env_cleanup.sh STATE_DIR
set -uo pipefail
STATE_DIR=$1
export WINEPREFIX=$STATE_DIR/wineprefix

if [[ -d $WINEPREFIX ]]; then
  timeout -k 5 30 /usr/lib/wine/wineserver -k || true
  timeout -k 5 30 /usr/lib/wine/wineserver -w || true
fi

if [[ -s $STATE_DIR/xvfb.pid ]]; then
  pid=$(<"$STATE_DIR/xvfb.pid")
  # Only the Xvfb that the setup started: the id may have been reused since.
  [[ $(cat "/proc/$pid/comm" 2>/dev/null) == Xvfb ]] || pid=
fi
if [[ -n ${pid:-} ]]; then
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [[ $(cat "/proc/$pid/comm" 2>/dev/null) == Xvfb ]]; then kill -9 "$pid" 2>/dev/null || true; fi
  echo "stopped Xvfb pid $pid"
fi
rm -f "$STATE_DIR/display" "$STATE_DIR/display.pending" "$STATE_DIR/xvfb.pid"
exit 0
