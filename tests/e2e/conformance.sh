#!/usr/bin/env bash
# The conformance program under Wine: the same scenarios and tables that the
# host build checks against the simulated desktop. The disk scenarios use a
# 4 MiB tmpfs mapped as drive T: (needs root; skipped otherwise).
#   conformance.sh STATE_DIR CONFORMANCE_EXE
set -euo pipefail
STATE_DIR=$1
CONFORMANCE=$2
source "$(dirname "$0")/lib.sh" "$STATE_DIR" "$CONFORMANCE" "$(dirname "$CONFORMANCE")"

mnt=$STATE_DIR/conformance_drive
link=$WINEPREFIX/dosdevices/t:
small_drive=
clean_up() {
  rm -f "$link"
  if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt" || umount -l "$mnt" || true; fi
}
trap clean_up EXIT
if [[ $(id -u) -eq 0 ]]; then
  mkdir -p "$mnt"
  if mountpoint -q "$mnt"; then umount "$mnt"; fi
  if mount -t tmpfs -o size=4m tmpfs "$mnt" 2>"$WORK/mount.err"; then
    ln -sfn "$mnt" "$link"
    small_drive='T:\'
  else
    echo "no small drive: $(<"$WORK/mount.err")"
  fi
fi

cp "$CONFORMANCE" "$WORK/conformance.exe"
code=0
wine_run 300 "$WORK/conformance.exe" "$(winpath "$WORK")" $small_drive </dev/null \
  >"$WORK/conformance.log" 2>"$WORK/conformance.err" || code=$?
tr -d '\r' <"$WORK/conformance.log"
[[ $code -ne 124 ]] || { cat "$WORK/conformance.err"; fail "the conformance program did not end"; }
[[ $code -eq 0 ]] || fail "scenarios differ from their tables under Wine (exit code $code)"
echo "PASS: every scenario matches its table under Wine"
