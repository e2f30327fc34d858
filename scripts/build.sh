#!/usr/bin/env bash
# Configures ./build and builds it through ccache: the target named by the
# first argument (the program alone: kvqy), else every target, the tests
# and benchmarks included. KV_JOBS sets the parallel jobs (default: nproc).
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD"
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
build_dir="${KV_BUILD_DIR:-build}"
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
target=()
if [ $# -gt 0 ]; then
  target=(--target "$1")
fi
cmake --build "$build_dir" "${target[@]}" -- -j"${KV_JOBS:-$(nproc)}"
