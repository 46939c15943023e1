#!/usr/bin/env bash
# Builds everything (program, tools, tests, benchmarks) with Debian's GCC,
# warnings as errors, in build-gcc/, and runs the unit and window tests there.
# The fuzzers need clang and stay in the clang build.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh
cmake -S . -B build-gcc -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=g++ -DZDR_WERROR=ON -DZDR_FUZZ=OFF >/dev/null
cmake --build build-gcc -j "$(nproc)"
cd build-gcc
ctest --output-on-failure -j "$(nproc)"
