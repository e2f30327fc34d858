#!/usr/bin/env bash
# Installs what is missing, builds the program alone (not its tests and
# benchmarks), and starts it. KV_JOBS sets the parallel jobs (default: nproc).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh kvqy
exec "${KV_BUILD_DIR:-build}/app/kvqy" "$@"
