#!/usr/bin/env bash
# The launcher's own entry point under Wine, through e2e_entry_probe, a
# program built as the launcher is: the argument string cut from real command
# lines, the show command from the start-up record and WinMain's instance;
# the runtime DLL without the runtime's start-up code (getenv, _putenv that a
# child inherits, _open/_write/_close in binary mode, the bounded formatter);
# and no DLL loaded by name from the program's own folder.
source "$(dirname "$0")/lib.sh"

probe=$(winpath "$HELPERS/e2e_entry_probe.exe")
log=$WORK/probe.log
[[ -f $HELPERS/e2e_planted.dll ]] || fail "e2e_planted.dll is not beside the probe"

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
value_of() { sed -n "s/^$1=//p" "$log"; }

# command line | show command passed (- for none) | argument string | show command received
cases=(
  $'"C:\\K\\launcher.exe"x'                  3  'x'       3
  $'C:\\K\\caf\xE9xyz\\launcher.exe  i'      -  'i'       10
  $'launcher.exe \xE9x'                      -  $'\xE9x'  10
  $'"C:\\Program Files\\launcher.exe"   x y' -  'x y'     10
  $'launcher.exe\t\tx'                       0  'x'       0
  'launcher.exe'                             -  ''        10
)
# check WHAT EXPECTED ACTUAL
check() { expect "$1: expected '$2', got '$3'" test "$2" = "$3"; }

for ((i = 0; i < ${#cases[@]}; i += 4)); do
  line=${cases[i]} show=${cases[i + 1]} arguments=${cases[i + 2]} received=${cases[i + 3]}
  echo "--- command line $(printf '%q' "$line")"
  # A longer old log: opened with _O_TRUNC it must not show through.
  printf 'left over %0600d' 0 >"$log"
  show_option=()
  [[ $show == - ]] || show_option=(--show "$show")
  code=0
  wine_run 60 "$HELPERS/e2e_run_env.exe" --timeout-ms 30000 "${show_option[@]}" \
    "E2E_PROBE_LOG=$(winpath "$log")" E2E_PROBE_VALUE=seen -E2E_PROBE_INHERITED \
    --raw "$probe" "$(hex "$line")" </dev/null >"$WORK/run.out" 2>&1 || code=$?
  cat "$WORK/run.out"
  check "exit code" 0 "$code"
  check "the log ends" 1 "$(value_of end)"
  check "argument string (hex)" "$(hex "$arguments")" "$(value_of arguments)"
  check "show command" "$received" "$(value_of show)"
  check "instance is the program's module" 1 "$(value_of instance_is_module)"
  check "previous instance is NULL" 1 "$(value_of previous_is_null)"
  check "carriage returns in a binary-mode log" 0 "$(tr -cd '\r' <"$log" | wc -c)"
  check "what the old log held" 0 "$(grep -c 'left over' "$log" || true)"
done

echo "--- the runtime DLL and the DLL search, from the last run:"
cat "$log"
cat "$log.child" 2>/dev/null || true
check "getenv under a lower-case name" seen "$(value_of value)"
check "the planted DLL loaded by name" 0 "$(value_of planted_dll_loaded)"
check "the planted DLL with the program's folder searched" 1 "$(value_of planted_dll_loaded_from_default_dirs)"
check "the child's exit code" 0 "$(value_of child_exit)"
check "what the child inherited from _putenv" "set by _putenv" "$(sed -n 's/^inherited=//p' "$log.child" 2>/dev/null)"
formats=$(grep -c '^format: .*: ok$' "$log" || true)
expect "no formatting case ran" test "$formats" -gt 0
# Prints the formatting cases that failed.
formats_all_ok() { ! grep '^format: ' "$log" | grep -v ': ok$'; }
expect "formatting cases above" formats_all_ok

finish "the entry point and the runtime DLL behave as the launcher needs"
