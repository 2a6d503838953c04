# Shared by the checks of the built launcher. Each check prints what it
# found and ends with 1 when any of its conditions fails.
set -euo pipefail

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
finish() { ((failures == 0)) || exit 1; }
