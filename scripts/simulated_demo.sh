#!/usr/bin/env bash
# The launcher in the simulated desktop: builds the host tree and runs the
# launcher's whole job there, in virtual time. Arguments go to the run (see
# --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset host >/dev/null
cmake --build build/host -j"$(nproc)" --target simulated_run
build/host/tools/simulated_run --picture build/simulated-progress-window.png "$@"
