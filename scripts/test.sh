#!/usr/bin/env bash
# Installs what is missing, starts the test servers, builds, runs the core
# tests under the sanitizers and then every test (ctest's summary of the main
# build is the last thing printed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
source scripts/test-servers.sh
kv_start_postgres
kv_write_odbc_files "$PWD/${KV_BUILD_DIR:-build}/test-env"
bash scripts/build.sh
# The core tests once more under the address and undefined-behaviour
# sanitizers, first, so that the main summary stays the last thing printed.
# The ODBC driver and Qt leave memory behind at exit: leaks are not counted.
asan_dir=build-asan
export CCACHE_BASEDIR="$PWD"
if [ ! -f "$asan_dir/build.ninja" ]; then
  cmake -S . -B "$asan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_SANITIZE=ON >/dev/null
fi
cmake --build "$asan_dir" --target core_tests -- -j"${KV_JOBS:-$(nproc)}"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$asan_dir" --output-on-failure --no-tests=error -j"$(nproc)"
exec ctest --test-dir "${KV_BUILD_DIR:-build}" --output-on-failure --no-tests=error -j"$(nproc)"
