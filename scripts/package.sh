#!/usr/bin/env bash
# Builds the 32-bit Windows launcher around your own installer and data file.
#
#   scripts/package.sh --installer FILE --data FILE [--icon FILE] -o launcher.exe
#                      [--build-dir DIR] [--host-tools DIR]
#
# The payloads, their figures (lengths, free-space threshold, progress scale,
# decoded sizes and CRC-32) and the resources are all made from the files you
# give. --icon takes a Windows icon file (.ico); without it the launcher has
# its own. The build happens in DIR (default build/package); the host tools
# that make the payloads come from --host-tools, or are built in build/host.
# Exit codes: 0 written, 2 a usage error or an input that cannot be packaged,
# 1 the build failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: scripts/package.sh --installer FILE --data FILE [--icon FILE] -o launcher.exe" \
    "[--build-dir DIR] [--host-tools DIR]" >&2
  exit 2
}
die() {
  echo "package.sh: $*" >&2
  exit 2
}

installer= data= icon= output= build_dir=$root/build/package host_tools=
while (($#)); do
  case $1 in
    --installer | --data | --icon | -o | --build-dir | --host-tools)
      (($# >= 2)) || die "$1 needs a value"
      case $1 in
        --installer) installer=$2 ;;
        --data) data=$2 ;;
        --icon) icon=$2 ;;
        -o) output=$2 ;;
        --build-dir) build_dir=$2 ;;
        --host-tools) host_tools=$2 ;;
      esac
      shift 2
      ;;
    -h | --help) usage ;;
    *) die "unknown argument '$1' (see --help)" ;;
  esac
done
[[ -n $installer && -n $data && -n $output ]] || usage

# check_input WHAT FILE: the file exists, is a file, can be read, and fits the
# launcher's 32-bit sizes.
check_input() {
  local what=$1 file=$2 size
  [[ -e $file ]] || die "the $what file '$file' does not exist"
  [[ -f $file ]] || die "the $what file '$file' is not a regular file"
  [[ -r $file ]] && head -c 1 -- "$file" >/dev/null 2>&1 || die "the $what file '$file' cannot be read"
  size=$(stat -L -c %s -- "$file")
  ((size <= 4294967295)) ||
    die "the $what file '$file' is $size bytes; a launcher carries files of at most 4294967295 bytes (32-bit sizes)"
}
check_input installer "$installer"
check_input data "$data"
if [[ -n $icon ]]; then
  check_input icon "$icon"
  # An icon file begins with 0, 0, 1, 0 (reserved, type 1).
  [[ $(head -c 4 -- "$icon" | od -An -tx1 | tr -d ' \n') == 00000100 ]] ||
    die "the icon file '$icon' is not a Windows icon (.ico) file"
fi
output_dir=$(dirname -- "$output")
[[ -d $output_dir && -w $output_dir ]] || die "cannot write '$output': '$output_dir' is not a writable folder"

installer=$(realpath -- "$installer")
data=$(realpath -- "$data")
[[ -z $icon ]] || icon=$(realpath -- "$icon")
output=$(realpath -- "$output")
build_dir=$(realpath -m -- "$build_dir")

cd "$root"
scripts/install-deps.sh
jobs=${JOBS:-$(nproc)}
if [[ -z $host_tools ]]; then
  echo "building the host tools in build/host"
  cmake --preset host >/dev/null
  cmake --build build/host -j"$jobs" --target host_tools >/dev/null
  host_tools=$root/build/host
fi
host_tools=$(realpath -- "$host_tools")

echo "building the launcher in $build_dir"
mkdir -p "$build_dir"
log=$build_dir/package.log
cmake --preset windows-i686 -B "$build_dir" -DLAUNCHER_HOST_TOOLS="$host_tools" \
  -DLAUNCHER_INSTALLER_FILE="$installer" -DLAUNCHER_DATA_FILE="$data" -DLAUNCHER_ICON_FILE="$icon" \
  >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
# On failure, what the tools said (their progress lines left out).
cmake --build "$build_dir" -j"$jobs" --target launcher >>"$log" 2>&1 ||
  { grep -v '^\[' "$log" >&2; exit 1; }
cp "$build_dir/src/bootstrap/launcher.exe" "$output"

figures=$build_dir/payloads/include/payload/payload_figures.h
figure() { sed -n "s/^inline constexpr uint32_t $1 = \([0-9]*\);/\1/p" "$figures"; }
echo "wrote $output ($(stat -c %s "$output") bytes)"
echo "  installer: $installer, $(figure installer_decoded_size) bytes, carried in $(figure installer_payload_length)"
echo "  data:      $data, $(figure data_decoded_size) bytes, carried in $(figure data_payload_length)"
echo "  free space needed on the temp folder's drive: $(($(figure installer_payload_length) + $(figure data_payload_length))) bytes"
