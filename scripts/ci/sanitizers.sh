#!/usr/bin/env bash
# The fast Qt-free unit tests under AddressSanitizer + UndefinedBehaviorSanitizer
# (build-asan/), and the parts that run threads (listing prefetch, parallel
# remover, the delete that uses it, the information walk that lists ahead, the
# copy of differing files that reads ahead)
# under ThreadSanitizer (build-tsan/).
# No fuzzers, no benchmarks, no windows: CI's whole run stays under 30 minutes.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=$(nproc)

asan_tests=(base_core platform_files engine_rules engine_walk engine_copy engine_copy_faults engine_delete
  engine_rename_backup protocol_core project_core registry_engine run_texts app_commandline net_connect net_network)
tsan_tests=(platform_files engine_walk engine_copy engine_delete)

configure() { # folder, option
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DZDR_WERROR=ON \
    -DZDR_FUZZ=OFF -DZDR_BENCH=OFF "-D$2=ON" >/dev/null
}
only() { local IFS='|'; echo "^($*)\$"; }

configure build-asan ZDR_ASAN
cmake --build build-asan -j "$jobs" --target "${asan_tests[@]}"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j "$jobs" -R "$(only "${asan_tests[@]}")")

configure build-tsan ZDR_TSAN
cmake --build build-tsan -j "$jobs" --target "${tsan_tests[@]}"
# TSan needs the narrow address layout of a process without randomisation.
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  setarch "$(uname -m)" -R ctest --output-on-failure -j "$jobs" -R "$(only "${tsan_tests[@]}")")
