#!/usr/bin/env bash
# Building the launcher again from the same sources, in a fresh tree and at a
# later time, gives the same bytes: nothing in it depends on when or where it
# was built.
#   reproducible.sh LAUNCHER_EXE SOURCE_DIR SECOND_TREE CMAKE_ARGUMENT...
source "$(dirname "$0")/lib.sh"
exe=$1 source_dir=$2 second_tree=$3
shift 3

rm -rf "$second_tree"
echo "building the launcher again in $second_tree"
if ! cmake -S "$source_dir" -B "$second_tree" "$@" >"$second_tree.log" 2>&1 ||
   ! cmake --build "$second_tree" --target launcher -j2 >>"$second_tree.log" 2>&1; then
  cat "$second_tree.log"
  fail "the second build failed"
  finish
fi
again=$second_tree/src/bootstrap/launcher.exe
if cmp "$exe" "$again"; then
  pass "both builds give the same $(stat -c %s "$exe") bytes ($(sha256sum <"$exe" | cut -c1-16))"
else
  cmp -l "$exe" "$again" | head -20
  fail "the two builds differ"
fi
rm -rf "$second_tree" "$second_tree.log"
finish
