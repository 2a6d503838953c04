#!/usr/bin/env bash
# A normal run with the demo installer, once with the mode letter x and once
# with none: the launcher exits with 0, leaves the data file identical to the
# demo data and removes the installer executable and the marker files. The
# demo installer's log shows its command line (the path and the mode letter),
# TEMP as the launcher found it, the progress window shown, and one hide
# command, after which it found the data file complete. In the first run the
# launcher is held halfway through the data file: the installer executable is
# whole and running, no hide command has come yet, and a capture of the screen
# shows the progress window painted: status line, frame lines and a partly
# filled bar.
#   normal_run.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR DATA_FILE INSTALLER_EXE
source "$(dirname "$0")/lib.sh"
DATA=$5
INSTALLER=$6

data_size=$(stat -c %s "$DATA")

launcher_pid=
clean_up() {
  release_hold
  [[ -z $launcher_pid ]] || kill "$launcher_pid" 2>/dev/null || true
}
trap clean_up EXIT

# The client area's colours, as RRGGBB, in $pixel["x,y"] (client coordinates).
read_client_pixels() { # read_client_pixels PNG CLIENT_X CLIENT_Y
  declare -gA pixel=()
  local key colour
  while read -r key colour; do
    pixel[$key]=$colour
  done < <(convert "$1" -crop "310x90+$2+$3" +repage -depth 8 txt:- |
    awk 'NR > 1 { sub(":", "", $1); sub("#", "", $3); print $1, $3 }')
}

# colours X1 X2 Y1 Y2: the distinct colours of that block of pixels (ends included).
colours() {
  local x y
  for ((y = $3; y <= $4; ++y)); do
    for ((x = $1; x <= $2; ++x)); do
      echo "${pixel[$x,$y]:-none}"
    done
  done | sort -u | tr '\n' ' '
}

black=000000 blue=0000FF white=FFFFFF grey=C0C0C0
check_progress_picture() {
  expect "the frame's top line (y 59, x 10-299) is not black: $(colours 10 299 59 59)" \
    test "$(colours 10 299 59 59)" = "$black "
  expect "the frame's left line (x 9, y 59-79) is not black: $(colours 9 9 59 79)" \
    test "$(colours 9 9 59 79)" = "$black "
  # The bar: blue from x 10 to its end, white from there to 299, on each of its rows.
  local bar_end=10
  while [[ ${pixel[$bar_end,70]:-} == "$blue" ]]; do ((++bar_end)); done
  echo "bar end: x $bar_end"
  expect "the bar has no blue part" test "$bar_end" -gt 10
  expect "the bar is full: the capture is not from the middle of the extraction" \
    test "$bar_end" -lt 300
  if ((bar_end > 10 && bar_end < 300)); then
    expect "the bar's filled part is not plain blue: $(colours 10 $((bar_end - 1)) 60 79)" \
      test "$(colours 10 $((bar_end - 1)) 60 79)" = "$blue "
    expect "the bar's empty part is not plain white: $(colours "$bar_end" 299 60 79)" \
      test "$(colours "$bar_end" 299 60 79)" = "$white "
  fi
  # Nothing on the bar's right and bottom sides: the background's light grey.
  expect "x 300 beside the bar is not light grey: $(colours 300 300 59 80)" \
    test "$(colours 300 300 59 80)" = "$grey "
  expect "y 80 below the bar is not light grey: $(colours 9 300 80 80)" \
    test "$(colours 9 300 80 80)" = "$grey "
  # The status line: dark glyph pixels on light grey in the text area.
  local dark
  dark=$(for ((y = 16; y < 50; ++y)); do
    for ((x = 10; x < 300; ++x)); do echo "${pixel[$x,$y]:-none}"; done
  done | grep -c '^[0-3]' || true)
  echo "status line: $dark dark pixels"
  expect "no status line in the text area" test "$dark" -gt 100
}

# case | argument | what TEMP ends with | mode letter | held and captured
cases=(
  mode_x    x  ''  x  yes
  no_mode   -  '\' i  no
)
for ((i = 0; i < ${#cases[@]}; i += 5)); do
  name=${cases[i]} argument=${cases[i + 1]} suffix=${cases[i + 2]} mode=${cases[i + 3]} hold=${cases[i + 4]}
  echo "--- $name"
  temp=$WORK/$name/temp
  mkdir -p "$temp"
  temp_value=$(winpath "$temp")$suffix
  arguments=()
  [[ $argument == - ]] || arguments=("$argument")

  [[ $hold == no ]] || start_hold "$temp/client.klv.datafile"
  run_launcher 90 "$temp_value" "${arguments[@]}" </dev/null >"$WORK/launcher.log" 2>&1 &
  launcher_pid=$!
  if [[ $hold == yes ]]; then
    if wait_held; then
      import -window root "$WORK/$name/screen.png"
      held_size=$(held data_file_size)
      installer_log "$temp" >"$WORK/$name/log_while_held.txt"
      installer_whole=0
      cmp -s "$temp/uninstall.client.exe" "$INSTALLER" && installer_whole=1
      release_hold
      echo "held with $held_size of $data_size bytes of the data file written; $(held window)"
      expect "the data file was complete when the launcher was held" test "$held_size" -lt "$data_size"
      expect "the installer executable was not the demo installer while it ran" test $installer_whole -eq 1
      expect "the installer had not shown the progress window when the launcher was held" \
        has_event "$WORK/$name/log_while_held.txt" "window shown"
      expect "the hide command came before the data file was complete" \
        test "$(event_count "$WORK/$name/log_while_held.txt" "command 55555 received")" -eq 0
      read_client_pixels "$WORK/$name/screen.png" $(held client | tr , ' ')
      check_progress_picture
    else
      expect "the launcher was never held halfway through the data file" false
      release_hold
    fi
  fi
  wait_launcher

  expect "exit code $code, expected 0" test "$code" -eq 0
  expect "the data file is not the demo data" cmp "$temp/client.klv.datafile" "$DATA"
  for file in uninstall.client.exe killme_a killme_b; do
    expect "$file is left in the temp folder" test ! -e "$temp/$file"
  done

  normal_events "$(winpath "$temp")" "$temp_value" "$mode" "$DATA" >"$WORK/$name/expected_events.txt"
  expect_events "$name" "$WORK/$name/expected_events.txt" "$temp"
done

finish "normal runs exited with 0, wrote the demo data, cleaned up, and the progress window was painted"
