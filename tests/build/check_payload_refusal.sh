#!/usr/bin/env bash
# The build refuses payload files it cannot embed, and says why: a missing
# file at configure time, and a file of 4 GiB or more when it is built. A
# file one byte under the limit passes the check.
set -u
source_dir=${1:?usage: check_payload_refusal.sh SOURCE_DIR WORK_DIR}
work=${2:?}
rm -rf "$work"; mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
truncate -s 4294967296 "$work/huge.exe"   # sparse: takes no disk space
truncate -s 4294967295 "$work/largest.exe"
source "$source_dir/tests/checks.sh"
build() {  # build WANTED-STATUS "text the output must hold" PAYLOAD-VARIABLE FILE
    local output status=0
    output=$(cmake -S "$source_dir" -B "$work/$3" --toolchain "$source_dir/cmake/i686-w64-mingw32.cmake" \
        "-DTESSELLOGRAPH_$3=$4" 2>&1 && cmake --build "$work/$3" --target PayloadBlockObjectCheck 2>&1) || status=1
    [ "$status" = "$1" ] && grep -qF -- "$2" <<<"$output" || { tail -5 <<<"$output"; false; }
}
expect() { check "$2" build "$@"; }
expect 1 "TESSELLOGRAPH_MAIN_PROGRAM: no such file" MAIN_PROGRAM "$work/missing.exe"
expect 1 "4 GiB or larger (4294967296 bytes)" ENGINE_PROGRAM "$work/huge.exe"
expect 0 "Built target PayloadBlockObjectCheck" SAMPLE_DOCUMENT "$work/largest.exe"
finish
