#!/usr/bin/env bash
# Configures and builds the project in build/ (clang, warnings as errors,
# fuzz targets). Used by both of the README's commands.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
fuzz=OFF
if echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
     | clang++ -x c++ -fsanitize=fuzzer - -o /tmp/zdr-fuzz-probe 2>/dev/null; then
  fuzz=ON
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DZDR_WERROR=ON -DZDR_FUZZ=${fuzz} >/dev/null
cmake --build build -j "$(nproc)"
