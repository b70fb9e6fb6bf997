#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time from the checked-in seeds; any
# crash, sanitizer report or broken check fails the test.
set -eu
target=${1:?usage: run_fuzzer.sh TARGET SEEDS CORPUS SECONDS}
seeds=$2 corpus=$3 seconds=$4
mkdir -p "$corpus"
cd "$corpus"
if "$target" -max_total_time="$seconds" -max_len=2400 -timeout=10 -print_final_stats=1 \
    "$corpus" "$seeds"; then
    echo "1 passed, 0 failed"
else
    echo "0 passed, 1 failed"
    exit 1
fi
