#!/usr/bin/env bash
# Builds the project and runs every test (window tests offscreen, the
# fuzzers for a bounded time). Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cd build
ctest --output-on-failure -j "$(nproc)" "$@"
