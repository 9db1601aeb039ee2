#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time,
# seeded from fuzz/corpus/<target>.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DFV_FUZZ=ON -DFV_SANITIZE=ON -DFV_APP=OFF -DFV_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "${f%.cpp}")"); done
fi
# Only the fuzzers are built, so a broken test elsewhere does not stop fuzzing.
cmake --build build/fuzz --target "${targets[@]/%/_fuzzer}"
for t in "${targets[@]}"; do
  # New inputs go to a scratch folder; the committed seeds stay small.
  mkdir -p "fuzz/corpus/$t" "build/fuzz/corpus/$t"
  echo "== $t for ${seconds}s"
  "build/fuzz/fuzz/${t}_fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -timeout=10 "build/fuzz/corpus/$t" "fuzz/corpus/$t"
done
