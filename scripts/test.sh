#!/usr/bin/env bash
# Builds the project and runs every test (window tests offscreen, the
# fuzzers for a bounded time). Ends with ctest's summary, then every test
# that was skipped (with its reason) or failed, and the user it ran as.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
reports=$PWD/build/test-reports/$(id -un)
rm -rf "$reports" build/Testing/Temporary/LastTestsFailed.log
mkdir -p "$reports"
status=0
(cd build && GTEST_OUTPUT="xml:$reports/" ctest --output-on-failure -j "$(nproc)" "$@") || status=$?
cp build/Testing/Temporary/LastTestsFailed.log "$reports/ctest-failed.log" 2>/dev/null || true
[ -n "${ZDR_NO_TEST_REPORT:-}" ] || python3 scripts/ci/test-report.py "$reports" || true
exit "$status"
