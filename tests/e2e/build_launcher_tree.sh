#!/usr/bin/env bash
# Builds the launcher in a tree of its own with different cache options (a
# packager's inputs), for tests that need a launcher carrying other payloads.
# The tree is configured once; later builds bring it up to date. Quiet unless
# something fails.
#   build_launcher_tree.sh SOURCE_DIR TREE CMAKE_ARGUMENT...
set -euo pipefail
source_dir=$1 tree=$2
shift 2
mkdir -p "$tree"
log=$tree.log
# A make of its own: the calling make's job slots are not passed on.
unset MAKEFLAGS MFLAGS MAKELEVEL
if [[ ! -f $tree/CMakeCache.txt ]] && ! cmake -S "$source_dir" -B "$tree" "$@" >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$tree/CMakeCache.txt"
  exit 1
fi
cmake --build "$tree" --target launcher >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
