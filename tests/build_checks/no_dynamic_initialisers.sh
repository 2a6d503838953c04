#!/usr/bin/env bash
# The launcher starts at its own entry point, which runs no static
# constructors, no destructors at exit and no TLS callbacks: nothing that
# went into the link may need them. Reads the link map, which names every
# input section with its size.
#   no_dynamic_initialisers.sh LINK_MAP
source "$(dirname "$0")/lib.sh"
map=$1

# Input section lines: " NAME ADDRESS SIZE FILE", or a long NAME alone on its
# line with the rest on the next one.
found=$(awk '
  /^ [^ *]+$/ { pending = $1; next }
  pending != "" && /^ +0x/ { $0 = " " pending " " $0 }
  { pending = "" }
  /^ [^ *]/ && $3 ~ /^0x/ && $3 !~ /^0x0+$/ &&
    $1 ~ /^\.(ctors|dtors|init_array|fini_array|tls)([.$]|$)|^\.CRT\$X[CDILPTU]/ { print "  " $1 " (" $3 " bytes) from " $4 }
' "$map")
if [[ -n $found ]]; then
  fail "sections that only the runtime's start-up code would run:"
  echo "$found"
else
  pass "no static constructors, exit-time destructors or thread-local data in the link"
fi
finish
