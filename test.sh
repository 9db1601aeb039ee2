#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole suite through CTest.
#   ./test.sh [--release] [CTEST ARGUMENTS]
# --release runs the suite in a Release build with run.sh's compiler flags
# instead, where no sanitizer changes how memory is laid out.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test
if [ "${1:-}" = "--release" ]; then
  shift
  build=build/release-tests
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFV_TESTS=ON >/dev/null
else
  build=build/test
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFV_SANITIZE=ON -DFV_TESTS=ON -DFV_BENCH=ON >/dev/null
fi
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
