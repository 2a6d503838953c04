#!/usr/bin/env bash
# The launcher's main job, for real: builds the Windows launcher with the demo
# installer and the demo data inside it, runs it under Wine and says what it
# did. It runs on the display in DISPLAY when one is set (the demo installer
# then stays a few seconds after its check, for you to read), otherwise on a
# private Xvfb screen. While the launcher writes the data file it is held for
# a moment and the screen is captured: the progress window, as the demo
# installer shows it, goes to build/demo/progress-window.png.
#
# Everything of the run stays in build/demo: the temp folder the launcher
# writes into (temp/), the Wine prefix (created on the first run), the
# screenshot and the logs. Exit code 0 when the launcher ended with 0 and
# left the demo data, whole, in its temp folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh
jobs=$(nproc)

demo=$root/build/demo
mkdir -p "$demo"
build_log=$demo/build.log
: >"$build_log"
# build STEP COMMAND...: runs a build step quietly; shows its log if it fails.
build() {
  echo "$1" >>"$build_log"
  shift
  "$@" >>"$build_log" 2>&1 || { cat "$build_log" >&2; echo "demo.sh: the build failed" >&2; exit 1; }
}
echo "building the host tools (build/host) and the Windows launcher (build/windows-x86_64)"
build "host tree" cmake --preset host
build "host tools" cmake --build build/host -j"$jobs" --target host_tools
build "x86_64 tree" cmake --preset windows-x86_64 -DLAUNCHER_HOST_TOOLS="$root/build/host"
build "launcher" cmake --build build/windows-x86_64 -j"$jobs" --target launcher e2e_run_env e2e_launcher_hold
windows=$root/build/windows-x86_64
launcher=$windows/src/bootstrap/launcher.exe
helpers=$windows/tests/e2e
demo_data=$windows/demo/demo_data.bin
demo_installer=$windows/demo/demo_installer.exe

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

xvfb_pid= launcher_pid= hold_pid=
clean_up() {
  [[ -z $hold_pid ]] || { touch "$demo/release"; wait "$hold_pid" 2>/dev/null || true; }
  [[ -z $launcher_pid ]] || { kill "$launcher_pid" 2>/dev/null || true; wait "$launcher_pid" 2>/dev/null || true; }
  if [[ -n $xvfb_pid ]]; then
    timeout -k 5 30 "$WINESERVER" -w 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap clean_up EXIT

screen="your display ${DISPLAY:-}"
if [[ -z ${DISPLAY:-} ]]; then
  # Xvfb picks a free display number itself and writes it to fd 3 once it
  # accepts connections.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo/display" </dev/null >"$demo/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [[ -s $demo/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  [[ -s $demo/display ]] || { cat "$demo/xvfb.log" >&2; echo "demo.sh: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(tr -dc '0-9' <"$demo/display")
  screen="a private Xvfb screen, $DISPLAY"
fi

if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "creating the Wine prefix build/demo/wineprefix (once, this takes a while)"
  timeout -k 5 300 "$WINE" wineboot -i </dev/null >"$demo/wineboot.log" 2>&1 ||
    { cat "$demo/wineboot.log" >&2; echo "demo.sh: wineboot failed" >&2; exit 1; }
fi
# With no window manager (Xvfb), Wine would wait 2 s for one at every hidden
# window: the launcher's and the installer's windows are left unmanaged
# there. On your display they are the window manager's.
unmanaged=$root/tests/e2e/no_window_manager.reg
if [[ -n $xvfb_pid ]]; then
  cp "$unmanaged" "$demo/windows.reg"
else
  { echo REGEDIT4; sed -n 's/^\[\(.*\)\]$/\n[-\1]/p' "$unmanaged"; } >"$demo/windows.reg"
fi
timeout -k 5 60 "$WINE" reg import "$(winpath "$demo/windows.reg")" </dev/null >"$demo/reg.log" 2>&1 ||
  { cat "$demo/reg.log" >&2; echo "demo.sh: reg import failed" >&2; exit 1; }

temp=$demo/temp
rm -rf "$temp" "$demo/held" "$demo/release" "$demo/progress-window.png"
mkdir -p "$temp"
folder=$(winpath "$temp")
data_file=$temp/client.klv.datafile
installer_file=$temp/uninstall.client.exe
quick=-KELVARA_DEMO_INSTALLER_QUICK
[[ -z $xvfb_pid ]] || quick=KELVARA_DEMO_INSTALLER_QUICK=1

echo "running the launcher under $("$WINE" --version) on $screen"
timeout -k 5 90 "$WINE" "$helpers/e2e_launcher_hold.exe" "$(winpath "$data_file")" "$(winpath "$demo/held")" \
  "$(winpath "$demo/release")" --timeout-ms 60000 </dev/null >"$demo/hold.log" 2>&1 &
hold_pid=$!
started=$(date +%s%N)
timeout -k 5 135 "$WINE" "$helpers/e2e_run_env.exe" --timeout-ms 120000 "TEMP=$folder" "$quick" -- \
  "$(winpath "$launcher")" </dev/null >"$demo/launcher.log" 2>&1 &
launcher_pid=$!

# Held halfway through the data file: the screenshot, and the installer
# executable while it exists.
installer_written= installer_whole=no screenshot=
while kill -0 "$launcher_pid" 2>/dev/null && [[ ! -s $demo/held ]]; do sleep 0.05; done
if [[ -s $demo/held ]]; then
  held() { tr -d '\r' <"$demo/held" | sed -n "s/^$1=//p"; }
  IFS=, read -r left top right bottom <<<"$(held window)"
  if import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    "$demo/progress-window.png" 2>"$demo/import.log"; then
    screenshot="build/demo/progress-window.png, with $(held data_file_size) of $(stat -c %s "$demo_data") bytes of the data file written"
  fi
  installer_written=$(stat -c %.9Y "$installer_file" 2>/dev/null || true)
  cmp -s "$installer_file" "$demo_installer" && installer_whole=yes
fi
touch "$demo/release"
wait "$hold_pid" 2>/dev/null || true
hold_pid=
code=0
wait "$launcher_pid" || code=$?
launcher_pid=
finished=$(date +%s%N)
held_ms=$(tr -d '\r' <"$demo/hold.log" | sed -n 's/^held_ms=//p')
held_ms=${held_ms:-0}

# What the run left, checked.
crc32_of() { gzip -c "$1" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' \n' | tr a-f A-F; }
tr -d '\r' <"$temp/kelvara-demo-installer.log" >"$demo/installer.log" 2>/dev/null || : >"$demo/installer.log"
event() { sed -E 's/^[0-9]+ ms: //' "$demo/installer.log" | grep -Fx -- "$1" >/dev/null; }
data_ok=no
if [[ -f $data_file ]]; then
  data_size=$(stat -c %s "$data_file")
  data_crc=$(crc32_of "$data_file")
  data_line="$data_size bytes, CRC-32 $data_crc"
  if cmp -s "$data_file" "$demo_data"; then
    data_ok=yes
    data_line+=", identical to the demo data"
    written_ms=
    if [[ -n $installer_written ]]; then
      written_ms=$(awk -v a="$installer_written" -v b="$(stat -c %.9Y "$data_file")" -v h="$held_ms" \
        'BEGIN { printf "%.0f", (b - a) * 1000 - h }')
      data_line+="; written in $written_ms ms once the installer had started (the hold left out)"
    fi
  else
    data_line+=", NOT the demo data"
  fi
else
  data_line="missing"
fi
gone() { if [[ -e $1 ]]; then echo "left in the temp folder"; else echo "deleted at the end"; fi; }
installer_line="$(stat -c %s "$demo_installer") bytes"
[[ $installer_whole == yes ]] && installer_line+=", identical to the demo installer while it ran"
command_line=$(sed -En 's/^[0-9]+ ms: command line: //p' "$demo/installer.log")
verdict=$(sed -En 's/^[0-9]+ ms: expected .*: (complete|different)$/\1/p' "$demo/installer.log")
if event "command 55555 received"; then hide="received the hide command"; else hide="received NO hide command"; fi

printf '\n'
printf '  temp folder      %s (%s)\n' "build/demo/temp" "$folder"
printf '  exit code        %s\n' "$code"
printf '  time taken       %s s, of which the launcher was held %s s for the screenshot\n' \
  "$(awk -v n=$((finished - started)) 'BEGIN { printf "%.2f", n / 1e9 }')" \
  "$(awk -v n="$held_ms" 'BEGIN { printf "%.2f", n / 1e3 }')"
printf '  installer        uninstall.client.exe, %s; %s\n' "$installer_line" "$(gone "$installer_file")"
printf '  started as       %s\n' "${command_line:-(not started)}"
printf '  data file        client.klv.datafile, %s\n' "$data_line"
printf '  demo installer   %s, found the data file %s\n' "$hide" "${verdict:-(not checked)}"
printf '  marker files     killme_a %s, killme_b %s\n' "$(gone "$temp/killme_a")" "$(gone "$temp/killme_b")"
printf '  screenshot       %s\n' "${screenshot:-none (the launcher could not be held; see build/demo/hold.log)}"
printf '  logs             build/demo/installer.log (the demo installer), build/demo/launcher.log\n'

[[ $code -eq 0 && $data_ok == yes ]]
