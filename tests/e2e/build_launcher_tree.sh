#!/usr/bin/env bash
# Builds the launcher in a tree of its own with different cache options (a
# packager's inputs), for tests that need a launcher carrying other payloads.
# The tree is configured again only when the arguments change; the build
# brings it up to date. Quiet unless something fails.
#   build_launcher_tree.sh SOURCE_DIR TREE CMAKE_ARGUMENT...
set -euo pipefail
source_dir=$1 tree=$2
shift 2
mkdir -p "$tree"
log=$tree.log
arguments=$(printf '%q ' -S "$source_dir" -B "$tree" "$@")
# A make of its own: the calling make's job slots are not passed on.
unset MAKEFLAGS MFLAGS MAKELEVEL
if [[ ! -f $tree/CMakeCache.txt || $(cat "$tree.arguments" 2>/dev/null) != "$arguments" ]]; then
  rm -f "$tree.arguments"
  cmake -S "$source_dir" -B "$tree" "$@" >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
  echo "$arguments" >"$tree.arguments"
fi
cmake --build "$tree" --target launcher >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
