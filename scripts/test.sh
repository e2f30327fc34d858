#!/usr/bin/env bash
# Installs what is missing, starts the test servers, builds, and runs every
# test (ctest's summary is the last thing printed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
source scripts/test-servers.sh
kv_start_postgres
kv_write_odbc_files "$PWD/${KV_BUILD_DIR:-build}/test-env"
bash scripts/build.sh
exec ctest --test-dir "${KV_BUILD_DIR:-build}" --output-on-failure --no-tests=error -j"$(nproc)"
