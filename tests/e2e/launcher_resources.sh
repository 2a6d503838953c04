#!/usr/bin/env bash
# The launcher's resources as Windows reads them: "DATA" and "DATA2" of type
# "BINARY" hold exactly the payloads the build made, and the group icon
# "ICON1" loads in each of its sizes.
#   launcher_resources.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR
source "$(dirname "$0")/lib.sh"
PAYLOADS=$4

code=0
wine_run 60 "$HELPERS/e2e_resource_probe.exe" "$(winpath "$LAUNCHER")" "$(winpath "$WORK")" \
  </dev/null >"$WORK/probe.out" 2>"$WORK/probe.err" || code=$?
tr -d '\r' <"$WORK/probe.out" >"$WORK/probe.txt"
cat "$WORK/probe.txt" "$WORK/probe.err"
[[ $code -eq 0 ]] || fail "the resource probe ended with $code"

cmp "$WORK/DATA" "$PAYLOADS/DATA.implode" || fail "DATA is not the installer payload"
cmp "$WORK/DATA2" "$PAYLOADS/DATA2.implode" || fail "DATA2 is not the data payload"
grep -qx 'icon_images=3' "$WORK/probe.txt" || fail "ICON1 does not have 3 images"
for size in 16 32 48; do
  grep -qx "icon=${size}x${size}" "$WORK/probe.txt" || fail "the ${size}x${size} icon does not load"
done
echo "PASS: DATA and DATA2 are the payloads, ICON1 loads in 16, 32 and 48 pixels"
