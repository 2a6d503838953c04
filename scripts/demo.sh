#!/usr/bin/env bash
# The launcher's main job, run in the simulated desktop: start-up, the hidden
# progress window, the installer showing it, the start message and the orderly
# exit, printed call by call with virtual time. Extra arguments go to the run
# (see --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset host >/dev/null
cmake --build build/host -j"$(nproc)" --target simulated_run
build/host/tools/simulated_run --show-at 0 "$@"
