#!/usr/bin/env bash
# Too little free space: TEMP on a drive of 1 MiB (a tmpfs mapped as a Wine
# drive letter). The launcher shows the "Error" box naming the drive's root
# (the first three characters of TEMP, as given) and exits with 1 once the box
# is closed. Needs root for the mount; reports SKIPPED otherwise.
source "$(dirname "$0")/lib.sh"

mnt=$STATE_DIR/lowdisk
link=$WINEPREFIX/dosdevices/t:
[[ $(id -u) -eq 0 ]] || skip "mounting a small tmpfs needs root"

launcher_pid=
clean_up() {
  if [[ -n $launcher_pid ]]; then
    kill "$launcher_pid" 2>/dev/null || true
    wait "$launcher_pid" 2>/dev/null || true
  fi
  rm -f "$link"
  if mountpoint -q "$mnt"; then umount "$mnt" || umount -l "$mnt" || true; fi
}
trap clean_up EXIT

mkdir -p "$mnt"
if mountpoint -q "$mnt"; then umount "$mnt"; fi
mount -t tmpfs -o size=1m tmpfs "$mnt" 2>"$WORK/mount.err" \
  || skip "cannot mount a tmpfs here: $(<"$WORK/mount.err")"
ln -sfn "$mnt" "$link"
echo "drive T: is a 1 MiB tmpfs: $(df -B1 --output=avail "$mnt" | tail -1) bytes free"

# TEMP as the launcher gets it | the root named in the message
cases=(
  'T:\kelvara'   'T:\'
  'T:\kelvara\'  'T:\'
  't:\x y'       't:\'
)
failures=0
for ((i = 0; i < ${#cases[@]}; i += 2)); do
  temp=${cases[i]} root=${cases[i + 1]}
  echo "--- TEMP=$temp"
  printf 'You do not have enough free space on drive %s to run the installer.\r\rYou should free up space on your hard drive or change the location of your temp folder.' \
    "$root" >"$WORK/expected.txt"

  run_launcher 60 "$temp" </dev/null >"$WORK/launcher.log" 2>&1 &
  launcher_pid=$!
  if ((i == 0)); then
    # The progress window as Wine lays it out, while the box holds the launcher.
    wine_run 40 "$HELPERS/e2e_window_probe.exe" KLDecompressor "Kelvara Installation" --after-box Error \
      --timeout-ms 30000 </dev/null 2>&1 | tr -d '\r' | sed 's/^/progress window: /' || true
  fi
  read_error_box
  wait_launcher

  if [[ $box_code -ne 0 ]]; then
    cat "$WORK/box.err"
    echo "FAIL: no \"Error\" box read and closed (box reader ended with $box_code)"
    ((++failures))
    continue
  fi
  if ! cmp -s "$WORK/expected.txt" "$WORK/box.txt"; then
    echo "FAIL: the box's text differs; expected, then shown:"
    od -c "$WORK/expected.txt"
    od -c "$WORK/box.txt"
    ((++failures))
  fi
  # MB_OK | MB_ICONHAND with no owner: one button, OK, and an icon.
  if [[ $(tr -d '\r' <"$WORK/box.err" | sort) != $'button: OK\nicon: shown\nowner: none' ]]; then
    echo "FAIL: expected an OK button, an icon and no owner; the box has:"
    cat "$WORK/box.err"
    ((++failures))
  fi
  if [[ $code -ne 1 ]]; then
    echo "FAIL: exit code $code, expected 1"
    ((++failures))
  fi
done

((failures == 0)) || fail "$failures check(s) failed"
echo "PASS: every low-space run showed the box and exited with 1"
