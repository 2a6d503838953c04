#!/usr/bin/env bash
# The mode letter that the installer receives, for whole command lines of the
# launcher that test where the program name ends: after its closing quote
# even with no blank behind it, at the first blank or control character (a
# byte of 0x80 or more is part of the name), and with the blanks and tabs
# after it skipped. Only a lower-case x as the first character after that
# gives x; anything else gives i.
#   mode_letter.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR DATA_FILE INSTALLER_EXE
source "$(dirname "$0")/lib.sh"

launcher=$(winpath "$LAUNCHER")
# intent | the launcher's command line | mode letter
cases=(
  quote_then_x        "\"$launcher\"x"                                  x
  quote_then_capital  "\"$launcher\"X"                                  i
  quoted_blanks       $'"C:\\Program Files\\Kelvara\\launcher.exe"   x y' x
  high_byte_in_name   $'C:\\K\\caf\xE9xyz\\launcher.exe i'               i
  tabs_then_x         $'launcher.exe\t\txyz'                             x
  name_alone          'launcher.exe'                                    i
)
for ((i = 0; i < ${#cases[@]}; i += 3)); do
  name=${cases[i]} line=${cases[i + 1]} mode=${cases[i + 2]}
  echo "--- $name: $(printf '%q' "$line")"
  temp=$WORK/$name
  mkdir -p "$temp"
  code=0
  run_launcher_line 60 "$(winpath "$temp")" "$line" </dev/null >"$WORK/launcher.log" 2>&1 || code=$?
  cat "$WORK/launcher.log"
  expect "$name: exit code $code, expected 0" test "$code" -eq 0
  expected="command line: $(winpath "$temp")\\uninstall.client.exe $mode"
  installer_log "$temp" >"$WORK/$name.log"
  if ! has_event "$WORK/$name.log" "$expected"; then
    expect "$name: the installer's command line is not '$expected'; its log:" false
    cat "$WORK/$name.log"
  fi
done

finish "the installer received the mode letter cut from each command line"
