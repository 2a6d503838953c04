#!/usr/bin/env bash
# A launcher whose payload has one byte changed, in a copy of the built
# launcher. A damaged data payload: the installer runs, the data file comes
# out wrong and is deleted, the box "Unable to write data file.<path>" (no
# owner) is read and dismissed, no hide command reaches the installer, and
# the launcher waits until the user closes the installer. A damaged installer
# payload: the box "Unable to write installer executable.<path>", owned by the
# progress window, and nothing is started. Both runs end with 0 and leave no
# file of the launcher behind.
#   damaged_payload.sh STATE_DIR LAUNCHER_EXE HELPER_DIR PAYLOAD_DIR DATA_FILE INSTALLER_EXE
source "$(dirname "$0")/lib.sh"
PAYLOADS=$4

launcher_pid=
clean_up() { [[ -z $launcher_pid ]] || kill "$launcher_pid" 2>/dev/null || true; }
trap clean_up EXIT

# damaged_copy RESOURCE FOLDER: copies the launcher into FOLDER with the byte in
# the middle of the resource's payload inverted, and checks, as Windows reads
# the copy's resources, that this one byte is all that changed.
damaged_copy() {
  local resource=$1 folder=$2 other=DATA2
  [[ $resource == DATA ]] || other=DATA
  mkdir -p "$folder/probe"
  cp "$LAUNCHER" "$folder/launcher.exe"
  perl -e '
    local $/;
    open my $exe, "+<:raw", $ARGV[0] or die "$ARGV[0]: $!\n";
    my $image = <$exe>;
    open my $in, "<:raw", $ARGV[1] or die "$ARGV[1]: $!\n";
    my $payload = <$in>;
    my $at = index($image, $payload);
    die "the payload is not in the launcher\n" if $at < 0;
    die "the payload is in the launcher twice\n" if index($image, $payload, $at + 1) >= 0;
    $at += int(length($payload) / 2);
    seek $exe, $at, 0;
    print $exe chr(255 - ord(substr($image, $at, 1)));
    close $exe or die "$!\n";
  ' "$folder/launcher.exe" "$PAYLOADS/$resource.implode" || fail "cannot damage $resource"
  wine_run 60 "$HELPERS/e2e_resource_probe.exe" "$(winpath "$folder/launcher.exe")" \
    "$(winpath "$folder/probe")" </dev/null >/dev/null 2>&1 || fail "cannot read the damaged copy's resources"
  [[ $(cmp -l "$folder/probe/$resource" "$PAYLOADS/$resource.implode" | wc -l) -eq 1 ]] ||
    fail "the copy's $resource does not differ from the payload in exactly one byte"
  cmp -s "$folder/probe/$other" "$PAYLOADS/$other.implode" || fail "the copy's $other changed"
}

# damaged resource | the box's text, @ standing for the temp folder | its owner | installer started
cases=(
  DATA2 'Unable to write data file.@\client.klv.datafile'            none           yes
  DATA  'Unable to write installer executable.@\uninstall.client.exe' KLDecompressor no
)
for ((i = 0; i < ${#cases[@]}; i += 4)); do
  resource=${cases[i]} text=${cases[i + 1]} owner=${cases[i + 2]} started=${cases[i + 3]}
  echo "--- $resource damaged"
  temp=$WORK/$resource/temp
  mkdir -p "$temp"
  damaged_copy "$resource" "$WORK/$resource"
  LAUNCHER=$WORK/$resource/launcher.exe run_launcher 90 "$(winpath "$temp")" \
    </dev/null >"$WORK/launcher.log" 2>&1 &
  launcher_pid=$!

  read_box "Kelvara Installer"
  if ((box_code != 0)); then
    expect "$resource: no box \"Kelvara Installer\" read and closed (box reader: $box_code, $(<"$WORK/box.err"))" false
  else
    printf '%s' "${text/@/$(winpath "$temp")}" >"$WORK/expected.txt"
    expect "$resource: the box says '$(<"$WORK/box.txt")', expected '$(<"$WORK/expected.txt")'" \
      cmp -s "$WORK/box.txt" "$WORK/expected.txt"
    expect "$resource: expected an OK button, no icon and the owner $owner; the box has: $(tr -d '\r' <"$WORK/box.err" | tr '\n' ' ')" \
      test "$(tr -d '\r' <"$WORK/box.err" | sort)" = $'button: OK\nowner: '"$owner"
  fi

  if [[ $started == yes ]]; then
    # The box is closed; the launcher waits for the installer, which waits for
    # a hide command that must not come.
    sleep 1
    expect "$resource: the launcher did not wait for the installer" kill -0 "$launcher_pid"
    wine_run 40 "$HELPERS/e2e_window_action.exe" KelvaraClientInstaller "Kelvara Installer" close \
      </dev/null || expect "$resource: the installer's window could not be closed" false
    installer_log "$temp" >"$WORK/$resource/log.txt"
    cat "$WORK/$resource/log.txt"
    expect "$resource: the installer received the hide command" \
      test "$(event_count "$WORK/$resource/log.txt" "command 55555 received")" -eq 0
    expect "$resource: the installer did not end as closed before the data was complete" \
      has_event "$WORK/$resource/log.txt" "end, exit code 2"
  else
    expect "$resource: an installer was started" test ! -e "$temp/kelvara-demo-installer.log"
  fi
  wait_launcher
  expect "$resource: exit code $code, expected 0" test "$code" -eq 0
  for file in uninstall.client.exe client.klv.datafile killme_a killme_b; do
    expect "$resource: $file is left in the temp folder" test ! -e "$temp/$file"
  done
done

finish "damaged payloads were reported, their files deleted, and no hide command was sent"
