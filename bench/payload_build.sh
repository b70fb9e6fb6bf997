#!/usr/bin/env bash
# How the build scales with the payload: the time to re-embed a main program
# of 1, 64 and 256 MiB and relink, against copying the same file (the disk's
# own speed). Median of five runs each; prints a table. Most of the time
# past the fixed link cost is GNU ld computing the PE checksum, which it does
# by reading its output back in small pieces; there is no switch to skip it.
#   bench/payload_build.sh [WORK_DIR]
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/tessellograph-bench}
rm -rf "$work"; mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); echo "$end - $start" | bc; }

printf '%-10s %12s %12s %8s %14s\n' payload "rebuild (s)" "copy (s)" ratio "exe - payload"
for mib in 1 64 256; do
    payload=$work/main-$mib.bin
    head -c $((mib * 1024 * 1024)) /dev/urandom >"$payload"
    build=$work/build-$mib
    cmake -S "$source_dir" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/i686-w64-mingw32.cmake" \
        -DTESSELLOGRAPH_MAIN_PROGRAM="$payload" >/dev/null
    cmake --build "$build" --target TessellographInstall -j2 >/dev/null
    rebuild=$(for run in 1 2 3 4 5; do
        touch "$payload"; sync
        seconds cmake --build "$build" --target TessellographInstall
    done | median)
    copy=$(for run in 1 2 3 4 5; do
        sync; seconds cp "$payload" "$work/copy.bin"
    done | median)
    size=$(stat -c %s "$build/TessellographInstall.exe")
    rest=$((size - mib * 1024 * 1024 - 3072 - 122 - 12))
    printf '%-10s %12.3f %12.3f %8.1f %14d\n' "$mib MiB" "$rebuild" "$copy" "$(echo "$rebuild / $copy" | bc -l)" "$rest"
done
