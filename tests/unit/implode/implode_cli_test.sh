#!/usr/bin/env bash
# The implode tool as a packager uses it: exit codes, standard streams, the
# callback trace, and what a failed run leaves behind.
# Usage: implode_cli_test.sh PATH_TO_IMPLODE
set -u
tool=$1
source "$(dirname "$0")/../cli_checks.sh"
status() { "$@" >/dev/null 2>&1; echo $?; }
contains() { case "$1" in *"$2"*) echo yes ;; *) echo "no: $1" ;; esac; }
# A fresh, empty folder for an output; `leftovers` lists what a run left there.
fresh() { rm -rf "$work/o"; mkdir "$work/o"; }
leftovers() { ls -A "$work/o" | tr '\n' ' '; }

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
# Several 1 MiB parse chunks, through a pipe both ways.
{ head -c 1500000 /dev/urandom; head -c 1000000 "$work/random" "$work/text" "$work/text"; } > "$work/large"
check "a 2.6 MB input streamed through pipes" "0" \
  "$("$tool" compress --level fast - - < "$work/large" | "$tool" decompress - - | cmp -s - "$work/large"; echo $?)"
check "--help says the input size has no limit" "yes" \
  "$(contains "$("$tool" compress --help)" "no limit on")"

# Decoder results become the exit code.
"$tool" compress "$work/text" "$work/packed"
"$tool" compress "$work/random" "$work/random.imp"
head -c 10000 "$work/random.imp" > "$work/cut"
printf '\x00\x07\x01\xff\x00' > "$work/bad_dict"
printf '\x02\x06\x01\xff\x00' > "$work/bad_mode"
printf '\x00\x04\x01\xff' > "$work/short"
mkdir "$work/folder"
for case in "cut 4" "bad_dict 1" "bad_mode 2" "short 3"; do
  set -- $case
  check "$1 exits with $2" "$2" "$(status "$tool" decompress "$work/$1" "$work/out")"
done

# A failed run leaves no output, not even a temporary file, and an earlier
# file of that name as it was.
for case in "decompress cut" "decompress bad_dict" "decompress short" \
            "decompress folder" "compress folder"; do
  set -- $case
  fresh
  code=$(status "$tool" "$1" "$work/$2" "$work/o/out")
  check "$case fails ($code) and leaves nothing" "" "$(leftovers)"
  echo "earlier" > "$work/o/out"
  "$tool" "$1" "$work/$2" "$work/o/out" 2>/dev/null
  check "$case leaves an earlier output as it was" "out earlier" "$(leftovers)$(cat "$work/o/out")"
done
# A full disk, as a file size limit: the write fails part way.
head -c 300000 /dev/urandom > "$work/noise"
"$tool" compress --level fast "$work/noise" "$work/noise.imp"
for case in "compress noise" "decompress noise.imp"; do
  set -- $case
  fresh
  message=$( (ulimit -f 100; trap '' XFSZ; "$tool" "$1" "$work/$2" "$work/o/out") 2>&1)
  check "$1 past the file size limit says why" "yes" "$(contains "$message" "File too large")"
  check "$1 past the file size limit leaves nothing" "" "$(leftovers)"
done

# --keep-partial keeps what was decoded, and says that it is only a prefix.
message=$("$tool" decompress --keep-partial "$work/cut" "$work/prefix" 2>&1)
check "--keep-partial still exits with 4" "4" "$(status "$tool" decompress --keep-partial "$work/cut" "$work/prefix")"
check "--keep-partial says the output holds only a prefix" "yes" "$(contains "$message" "holds only the")"
check "the kept output is a prefix" "0" \
  "$(cmp -s "$work/prefix" <(head -c "$(stat -c %s "$work/prefix")" "$work/random"); echo $?)"
check "the prefix is not empty" "0" "$([ -s "$work/prefix" ]; echo $?)"

# Errors say why.
check "a full device says so" "yes" \
  "$(contains "$("$tool" compress "$work/text" /dev/full 2>&1)" "cannot write '/dev/full': No space left on device")"
check "a folder as input says so" "yes" \
  "$(contains "$("$tool" decompress "$work/folder" "$work/out" 2>&1)" "cannot read '$work/folder': Is a directory")"
check "a missing input says so" "yes" \
  "$(contains "$("$tool" info "$work/missing" 2>&1)" "No such file or directory")"

# One file as both input and output is refused before anything is written,
# by any name.
cp "$work/packed" "$work/same"
ln "$work/same" "$work/same_hard"
ln -s "$work/same" "$work/same_soft"
for case in "decompress same" "compress same" "decompress same_hard" "compress same_soft"; do
  set -- $case
  message=$("$tool" "$1" "$work/same" "$work/$2" 2>&1)
  check "$1 onto '$2' is refused" "yes" "$(contains "$message" "are the same file")"
  check "$1 onto '$2' leaves the file intact" "0" "$(cmp -s "$work/same" "$work/packed"; echo $?)"
done
check "decompress onto its own input through standard output is refused" "yes" \
  "$(contains "$("$tool" decompress "$work/same" - 2>&1 >>"$work/same")" "are the same file")"
check "... and leaves it intact" "0" "$(cmp -s "$work/same" "$work/packed"; echo $?)"

# info on a stream longer than one 2048-byte read.
info=$("$tool" info "$work/random.imp")
check "info: decoded size" "yes" "$(contains "$info" "decoded size: 20000")"
check "info: compressed size" "yes" \
  "$(contains "$info" "compressed size: $(stat -c %s "$work/random.imp")")"
check "info: result" "yes" "$(contains "$info" "result: 0 (complete)")"
info=$("$tool" info "$work/cut")
check "info on a cut stream: result" "yes" "$(contains "$info" "result: 4")"
check "info on a cut stream exits with 4" "4" "$(status "$tool" info "$work/cut")"

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

finish
