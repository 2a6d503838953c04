#!/usr/bin/env bash
# The implode tool as a packager uses it: exit codes, standard streams and the
# callback trace. Usage: implode_cli_test.sh PATH_TO_IMPLODE
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check INTENT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  else
    echo "ok: $1"
  fi
}
status() { "$@" >/dev/null 2>&1; echo $?; }

head -c 20000 /dev/urandom > "$work/random"
yes 'the quick brown fox jumps over the lazy dog' | head -c 50000 > "$work/text"

# Round trips in every mode, through files and through standard streams.
for opts in "" "--ascii" "--dict 4" "--dict 5 --level fast" "--ascii --dict 6 --level best"; do
  for input in random text; do
    # shellcheck disable=SC2086
    "$tool" compress $opts "$work/$input" "$work/packed" &&
      "$tool" decompress "$work/packed" "$work/unpacked"
    check "round trip of $input with '$opts'" "0" "$(cmp -s "$work/$input" "$work/unpacked"; echo $?)"
  done
done
check "standard streams" "0" \
  "$("$tool" compress - - < "$work/text" | "$tool" decompress - - | cmp -s - "$work/text"; echo $?)"

# Decoder results become the exit code; the prefix of a cut stream is kept.
"$tool" compress "$work/text" "$work/packed"
size=$(stat -c %s "$work/packed")
head -c $((size / 2)) "$work/packed" > "$work/cut"
check "cut stream exits with 4" "4" "$(status "$tool" decompress "$work/cut" "$work/prefix")"
check "its output is a prefix" "0" \
  "$(cmp -s "$work/prefix" <(head -c "$(stat -c %s "$work/prefix")" "$work/text"); echo $?)"
check "the prefix is not empty" "0" "$([ -s "$work/prefix" ]; echo $?)"
printf '\x00\x07\x01\xff\x00' > "$work/bad_dict"
check "dictionary bits 7 exit with 1" "1" "$(status "$tool" decompress "$work/bad_dict" "$work/out")"
printf '\x02\x06\x01\xff\x00' > "$work/bad_mode"
check "literal mode 2 exits with 2" "2" "$(status "$tool" decompress "$work/bad_mode" "$work/out")"
printf '\x00\x04\x01\xff' > "$work/short"
check "four bytes exit with 3" "3" "$(status "$tool" decompress "$work/short" "$work/out")"

# The trace: one line a callback.
printf '\x00\x04\x82\x02\xfe\x01' > "$work/one_byte"
check "trace of a one-byte stream" $'read 6\nread 0\nwrite 1' \
  "$("$tool" decompress --trace "$work/one_byte" "$work/out" 2>&1 >/dev/null)"

# Usage and file errors are 64 or above, never a decoder code.
for args in "decompress $work/missing $work/out" "compress $work/missing $work/out" \
            "info $work/missing" "decompress $work/text $work/no/such/dir/out" \
            "compress --dict 9 $work/text $work/out" "frobnicate" ""; do
  # shellcheck disable=SC2086
  code=$(status "$tool" $args)
  check "'$args' exits with 64 or above" "yes" "$([ "$code" -ge 64 ] && echo yes || echo "no ($code)")"
done
check "--help exits with 0" "0" "$(status "$tool" decompress --help)"

echo "$failures failures"
[ "$failures" -eq 0 ]
