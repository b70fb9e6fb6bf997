#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time from the checked-in seeds; any
# crash, sanitizer report or broken check fails the test.
set -eu
target=${1:?usage: run_fuzzer.sh TARGET SEEDS CORPUS SECONDS}
mkdir -p "$3"
cd "$3"
exec "$target" -max_total_time="$4" -max_len=2400 -timeout=10 -print_final_stats=1 "$3" "$2"
