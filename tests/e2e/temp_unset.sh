#!/usr/bin/env bash
# TEMP removed from the environment: the launcher writes into c:\temp, starts
# the installer from there, and the installer finds TEMP=C:\TEMP, which the
# launcher set for it. The run ends normally.
#   temp_unset.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR DATA_FILE INSTALLER_EXE
source "$(dirname "$0")/lib.sh"
DATA=$5

# c:\temp in the prefix's drive C:, made here if the prefix has none.
temp=$WINEPREFIX/drive_c/temp
made_temp=
if [[ ! -d $temp ]]; then
  mkdir "$temp"
  made_temp=1
fi
launcher_files=(uninstall.client.exe client.klv.datafile killme_a killme_b kelvara-demo-installer.log)
for file in "${launcher_files[@]}"; do rm -f "$temp/$file"; done
clean_up() {
  for file in "${launcher_files[@]}"; do rm -f "$temp/$file"; done
  [[ -z $made_temp ]] || rmdir "$temp" 2>/dev/null || true
}
trap clean_up EXIT

code=0
run_launcher 90 - </dev/null >"$WORK/launcher.log" 2>&1 || code=$?
cat "$WORK/launcher.log"

expect "exit code $code, expected 0" test "$code" -eq 0
expect "the data file in c:\\temp is not the demo data" cmp "$temp/client.klv.datafile" "$DATA"
for file in uninstall.client.exe killme_a killme_b; do
  expect "$file is left in c:\\temp" test ! -e "$temp/$file"
done
normal_events 'c:\temp' 'C:\TEMP' i "$DATA" 'C:\TEMP' >"$WORK/expected_events.txt"
expect_events "TEMP unset" "$WORK/expected_events.txt" "$temp"

finish "without TEMP the launcher used c:\\temp and the installer found TEMP=C:\\TEMP"
