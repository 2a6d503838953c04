#!/usr/bin/env bash
# The demo installer on its own, with a stand-in for the launcher's progress
# window: it shows that window, and on the hide command hides it, checks the
# data file, says what it found, creates the marker files and ends. Its log
# records what it saw.
#   demo_installer.sh STATE_DIR LAUNCHER_EXE HELPER_DIR DEMO_INSTALLER DATA_FILE
source "$(dirname "$0")/lib.sh"
INSTALLER=$4
DATA=$5

stand_in_pid=
clean_up() {
  if [[ -n $stand_in_pid ]]; then
    kill "$stand_in_pid" 2>/dev/null || true
    wait "$stand_in_pid" 2>/dev/null || true
  fi
}
trap clean_up EXIT

data_size=$(stat -c %s "$DATA")
data_crc=$(crc32_of "$DATA")

# case | data file in TEMP | KELVARA_DEMO_INSTALLER_QUICK | exit code | verdict in the log
cases=(
  complete  as-built  ""  0 complete
  damaged   one-byte  1   1 different
  missing   none      1   1 different
)
# check CASE WHAT CONDITION...: an expectation of one case.
check() { local name=$1 what=$2; shift 2; expect "($name) $what" "$@"; }

for ((i = 0; i < ${#cases[@]}; i += 5)); do
  name=${cases[i]} data=${cases[i + 1]} quick=${cases[i + 2]} expected_code=${cases[i + 3]} verdict=${cases[i + 4]}
  echo "--- $name"
  temp=$WORK/$name/temp
  mkdir -p "$temp"
  datafile=$temp/client.klv.datafile
  case $data in
    as-built) cp "$DATA" "$datafile" ;;
    one-byte)
      cp "$DATA" "$datafile"
      printf '\xA5' | dd of="$datafile" bs=1 seek=$((data_size / 2)) conv=notrunc status=none
      ;;
    none) ;;
  esac

  wine_run 90 "$HELPERS/e2e_progress_stand_in.exe" "$(winpath "$WORK/$name/ready")" --timeout-ms 60000 \
    </dev/null >"$WORK/$name/stand_in.out" 2>"$WORK/$name/stand_in.err" &
  stand_in_pid=$!
  wait_for_file 30 "$WORK/$name/ready" || { cat "$WORK/$name/stand_in.err"; fail "the stand-in did not get ready"; }

  # TEMP with a trailing backslash, as a user may set it.
  quick_setting=-KELVARA_DEMO_INSTALLER_QUICK
  [[ -z $quick ]] || quick_setting=KELVARA_DEMO_INSTALLER_QUICK=$quick
  code=0
  wine_run 75 "$HELPERS/e2e_run_env.exe" --timeout-ms 60000 "TEMP=$(winpath "$temp")\\" "$quick_setting" -- \
    "$(winpath "$INSTALLER")" i </dev/null >"$WORK/$name/installer.out" 2>&1 || code=$?
  stand_in_code=0
  wait "$stand_in_pid" || stand_in_code=$?
  stand_in_pid=
  tr -d '\r' <"$WORK/$name/stand_in.out" >"$WORK/$name/stand_in.txt"
  log=$WORK/$name/log.txt
  tr -d '\r' <"$temp/kelvara-demo-installer.log" >"$log" 2>/dev/null || : >"$log"
  cat "$WORK/$name/installer.out" "$WORK/$name/stand_in.txt" "$WORK/$name/stand_in.err" "$log"

  check "$name" "the installer ended with $code, expected $expected_code" test "$code" -eq "$expected_code"
  check "$name" "the stand-in ended with $stand_in_code" test "$stand_in_code" -eq 0
  # The show command came first and showed the window; the hide command,
  # sent back after the stand-in's own, hid it.
  check "$name" "the progress window was not shown, then hidden" \
    test "$(grep -E '^command=' "$WORK/$name/stand_in.txt" | tr '\n' ' ')" = \
    "command=55556 visible=1 command=55555 visible=0 "
  check "$name" "the installer's window did not close" has_line "$WORK/$name/stand_in.txt" '^installer_gone$'
  check "$name" "the command line is not the program and the mode letter" \
    has_line "$log" '^[0-9]+ ms: command line: .*demo_installer\.exe"? i$'
  check "$name" "TEMP is not logged as given" has_line "$log" "^[0-9]+ ms: TEMP: $(winpath "$temp" | sed 's/\\/\\\\/g')\\\\\$"
  check "$name" "no hide command in the log" has_line "$log" '^[0-9]+ ms: command 55555 received$'
  check "$name" "no '$verdict' verdict" has_line "$log" "^[0-9]+ ms: expected $data_size bytes, CRC-32 $data_crc: $verdict\$"
  for marker in killme_a killme_b; do
    check "$name" "$marker not created" test -f "$temp/$marker"
  done
  check "$name" "the end is not logged" has_line "$log" "^[0-9]+ ms: end, exit code $expected_code\$"
  if [[ $name == complete ]]; then
    check "$name" "the data file's figures are not logged" \
      has_line "$log" "^[0-9]+ ms: data file .*\\\\client\\.klv\\.datafile: $data_size bytes, CRC-32 $data_crc\$"
    check "$name" "the window does not say the data file is complete" \
      has_line "$WORK/$name/stand_in.txt" '^installer_text=.*The data file is complete'
  fi
done

finish "the demo installer showed and hid the progress window, checked the data file and created the markers"
