#!/usr/bin/env bash
# The temp folder's path may be at most 232 characters long (after its one
# trailing backslash is dropped): longer, and the launcher refuses with an
# "Error" box naming the folder, then exits with 1; at the limit it runs on.
source "$(dirname "$0")/lib.sh"

# temp_of_length N: creates a folder whose Windows path has exactly N characters
# and prints that path.
temp_of_length() {
  local base=$WORK/t
  local pad=$(($1 - 2 - ${#base} - 1)) # "Z:" in front, "/" before the padding
  local dir
  dir=$base/$(printf '%*s' "$pad" '' | tr ' ' a)
  mkdir -p "$dir"
  winpath "$dir"
}

launcher_pid=
trap '[[ -z $launcher_pid ]] || kill "$launcher_pid" 2>/dev/null || true' EXIT

# characters in the folder's path | TEMP ends in a backslash | expected exit code
cases=(
  232 no  0
  233 no  1
  232 yes 0
  233 yes 1
)
failures=0
for ((i = 0; i < ${#cases[@]}; i += 3)); do
  length=${cases[i]} slash=${cases[i + 1]} expected=${cases[i + 2]}
  rm -rf "$WORK/t"
  folder=$(temp_of_length "$length")
  temp=$folder
  [[ $slash == no ]] || temp+='\'
  echo "--- ${#temp} characters in TEMP, folder of $length"

  run_launcher 60 "$temp" </dev/null >"$WORK/launcher.log" 2>&1 &
  launcher_pid=$!
  box_code=0
  if ((expected == 1)); then
    read_error_box
  fi
  wait_launcher

  if ((code != expected)); then
    echo "FAIL: exit code $code, expected $expected"
    ((++failures))
  fi
  ((expected == 1)) || continue
  if ((box_code != 0)); then
    cat "$WORK/box.err"
    echo "FAIL: no \"Error\" box read and closed (box reader ended with $box_code)"
    ((++failures))
    continue
  fi
  text=$(<"$WORK/box.txt")
  echo "box: ${text//$'\r'/\\r}"
  if [[ $text != *"$folder"* || ${text,,} != *"too long"* ]]; then
    echo "FAIL: the box should name the folder $folder and say that its path is too long"
    ((++failures))
  fi
  if [[ $(tr -d '\r' <"$WORK/box.err" | sort) != $'button: OK\nicon: shown\nowner: none' ]]; then
    echo "FAIL: expected an OK button, an icon and no owner; the box has:"
    cat "$WORK/box.err"
    ((++failures))
  fi
  if [[ -n $(find "$WORK/t" -type f) ]]; then
    echo "FAIL: a refused launcher wrote into its temp folder"
    ((++failures))
  fi
done

((failures == 0)) || fail "$failures check(s) failed"
echo "PASS: the path length limit holds on both sides"
