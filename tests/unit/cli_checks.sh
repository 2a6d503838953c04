# Sourced by the tools' command-line tests: a scratch folder $work, removed at
# the end, and checks that count their failures in $failures.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# check INTENT EXPECTED ACTUAL
check() {
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  else
    echo "ok: $1"
  fi
}

# finish: the test fails when any check did.
finish() {
  [ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
}
