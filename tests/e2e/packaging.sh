#!/usr/bin/env bash
# scripts/package.sh as a packager uses it: a clear refusal for inputs that
# cannot be packaged, and for good ones a 32-bit launcher whose resources, as
# Windows reads them, decode to exactly the packager's files and carry the
# packager's icon.
#   packaging.sh STATE_DIR LAUNCHER_EXE HELPER_DIR HOST_TOOLS_DIR IMPLODE_TOOL
source "$(dirname "$0")/lib.sh"
HOST_TOOLS=$4
IMPLODE=$5
package=$(cd "$(dirname "$0")/../.." && pwd)/scripts/package.sh

mkdir -p "$WORK/in"
head -c 70000 /dev/urandom >"$WORK/in/setup.exe"
head -c 400000 <(yes 'a line of the packager data file') >"$WORK/in/data.bin"
mkdir "$WORK/in/folder"
truncate -s 4294967296 "$WORK/in/huge.bin" # sparse: takes no room

# An icon of one 16-pixel image, cut from the launcher's own three: a header
# for one image, its directory entry (size 1128 at offset 22), its bytes.
"$HOST_TOOLS/tools/launcher_icon/draw_launcher_icon" "$WORK/in/three.ico"
{
  printf '\x00\x00\x01\x00\x01\x00'
  printf '\x10\x10\x00\x00\x01\x00\x20\x00\x68\x04\x00\x00\x16\x00\x00\x00'
  # head first: a tail cut short by head would die of SIGPIPE, failing the pipeline.
  head -c $((54 + 1128)) "$WORK/in/three.ico" | tail -c 1128
} >"$WORK/in/one.ico"

failures=0
# refused PHRASE ARGS...: package.sh exits with 2 and says PHRASE, before any build.
refused() {
  local phrase=$1
  shift
  local code=0
  "$package" "$@" --build-dir "$WORK/refused" --host-tools "$HOST_TOOLS" >"$WORK/out" 2>"$WORK/err" || code=$?
  if [[ $code -ne 2 ]] || ! grep -qF -- "$phrase" "$WORK/err" || [[ -e $WORK/refused ]]; then
    echo "FAIL: '$*': expected exit code 2 and '$phrase' before any build, got $code:"
    cat "$WORK/err"
    ((++failures))
  else
    echo "ok: refused: $(<"$WORK/err")"
  fi
}
in=$WORK/in
refused "the installer file '$in/missing.exe' does not exist" --installer "$in/missing.exe" --data "$in/data.bin" -o "$WORK/l.exe"
refused "the data file '$in/folder' is not a regular file" --installer "$in/setup.exe" --data "$in/folder" -o "$WORK/l.exe"
refused "is 4294967296 bytes; a launcher carries files of at most 4294967295 bytes" \
  --installer "$in/setup.exe" --data "$in/huge.bin" -o "$WORK/l.exe"
refused "is not a Windows icon (.ico) file" --installer "$in/setup.exe" --data "$in/data.bin" --icon "$in/data.bin" -o "$WORK/l.exe"
refused "is not a writable folder" --installer "$in/setup.exe" --data "$in/data.bin" -o "$WORK/no/such/l.exe"
refused "usage:" --installer "$in/setup.exe" --data "$in/data.bin"
# The same files named by the cache options stop the configuration.
for option in "LAUNCHER_DATA_FILE=$in/missing.bin|the data file '$in/missing.bin' does not exist" \
              "LAUNCHER_INSTALLER_FILE=$in/huge.bin|is 4294967296 bytes; a launcher carries files of at most"; do
  setting=${option%%|*} phrase=${option#*|}
  code=0
  (cd "$(dirname "$package")/.." && cmake --preset windows-i686 -B "$WORK/cmake_refused" \
    -DLAUNCHER_HOST_TOOLS="$HOST_TOOLS" -D"$setting") >"$WORK/cmake.out" 2>&1 || code=$?
  if [[ $code -eq 0 ]] || ! tr -s ' \n' ' ' <"$WORK/cmake.out" | grep -F -- "$phrase" >/dev/null; then
    echo "FAIL: -D$setting: expected the configuration to stop with '$phrase', got $code:"
    cat "$WORK/cmake.out"
    ((++failures))
  else
    echo "ok: -D$setting stops the configuration"
  fi
  rm -rf "$WORK/cmake_refused"
done
((failures == 0)) || fail "$failures refusal(s) not as expected"

code=0
"$package" --installer "$in/setup.exe" --data "$in/data.bin" --icon "$in/one.ico" -o "$WORK/launcher.exe" \
  --build-dir "$WORK/build" --host-tools "$HOST_TOOLS" || code=$?
[[ $code -eq 0 ]] || fail "package.sh ended with $code"

# PE32 for the i386: the machine field follows the "PE\0\0" signature.
pe=$(od -An -tu4 -j 60 -N 4 "$WORK/launcher.exe" | tr -d ' ')
[[ $(od -An -tx1 -j "$pe" -N 6 "$WORK/launcher.exe" | tr -d ' \n') == 504500004c01 ]] ||
  fail "launcher.exe is not a 32-bit Windows program"

mkdir -p "$WORK/probe"
probe_code=0
wine_run 60 "$HELPERS/e2e_resource_probe.exe" "$(winpath "$WORK/launcher.exe")" "$(winpath "$WORK/probe")" \
  </dev/null >"$WORK/probe.out" 2>"$WORK/probe.err" || probe_code=$?
tr -d '\r' <"$WORK/probe.out" >"$WORK/probe.txt"
cat "$WORK/probe.txt" "$WORK/probe.err"
[[ $probe_code -eq 0 ]] || fail "the resource probe ended with $probe_code"
"$IMPLODE" decompress "$WORK/probe/DATA" "$WORK/installer.out" || fail "DATA is not a complete implode stream"
"$IMPLODE" decompress "$WORK/probe/DATA2" "$WORK/data.out" || fail "DATA2 is not a complete implode stream"
cmp "$WORK/installer.out" "$in/setup.exe" || fail "DATA does not decode to the installer"
cmp "$WORK/data.out" "$in/data.bin" || fail "DATA2 does not decode to the data file"
grep -qx 'icon_images=1' "$WORK/probe.txt" || fail "ICON1 is not the packager's one-image icon"
grep -qx 'icon=16x16' "$WORK/probe.txt" || fail "the packager's icon does not load"
echo "PASS: package.sh refused what it cannot package and built a launcher around the packager's files"
