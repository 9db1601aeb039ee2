#!/usr/bin/env bash
# Plants faults, one at a time, on the code lines changed since BASE, and runs
# the whole Release suite against each; prints each fault with "caught" or
# "missed", then the totals. docs/testing.md says how to read a miss.
#   scripts/mutate.sh BASE [COUNT] [SEED] [PATH...]
# COUNT (default 40) faults are sampled with SEED (default 1) in proportion to
# each folder's changed lines; PATH limits the sample to those files or folders.
# The work happens in a scratch copy ($MUTATE_DIR, by default
# /tmp/farovinter-mutate-<uid>), never in the working tree, and its build is
# kept, so later runs build only what changed. MUTATE_CTEST_ARGS adds CTest
# arguments, e.g. "-L effects_tests" to look for misses quickly in one suite
# (a miss there may still be caught by another suite). MUTATE_SHARD=k/n runs
# the k-th of n shares of the sample, each in its own MUTATE_DIR, so that n
# runs side by side plant together the faults of one run.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: scripts/mutate.sh BASE [COUNT] [SEED] [PATH...]" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
base=$1 count=${2:-40} seed=${3:-1}
shift $(( $# < 3 ? $# : 3 ))
exec python3 scripts/mutate.py "$base" "$count" "$seed" "$@"
