#!/usr/bin/env bash
# The launcher's size without its resources (the payloads and the icon, which
# are the packager's): at most LIMIT bytes.
#   size.sh OBJDUMP LAUNCHER_EXE LIMIT
source "$(dirname "$0")/lib.sh"
objdump=$1 exe=$2 limit=$3

file_size=$(stat -c %s "$exe")
alignment=$((16#$("$objdump" -p "$exe" | sed -n 's/^FileAlignment\s*//p')))
# In the file the resource section takes its size rounded up to the file
# alignment.
resources=$("$objdump" -h "$exe" | awk '$2 == ".rsrc" {print $3}')
resources=$((16#${resources:-0}))
resources=$(((resources + alignment - 1) / alignment * alignment))
size=$((file_size - resources))
echo "launcher: $file_size bytes, of which resources $resources; without them $size bytes (limit $limit)"
if ((size <= limit)); then
  pass "$size bytes without resources, $((limit - size)) below the limit"
else
  fail "$size bytes without resources, $((size - limit)) over the limit"
fi
finish
