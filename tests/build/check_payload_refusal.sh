#!/usr/bin/env bash
# The build refuses payload files it cannot embed, and says why: a missing
# file at configure time, and a file of 4 GiB or more when it is built. A
# file one byte under the limit passes the check.
set -u
source_dir=${1:?usage: check_payload_refusal.sh SOURCE_DIR WORK_DIR}
work=${2:?}
rm -rf "$work"; mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
toolchain=$source_dir/cmake/i686-w64-mingw32.cmake
passes=0; failures=0
expect() {  # expect "what" "text the output must hold" pass|fail command...
    local what=$1 text=$2 wanted=$3; shift 3
    local output outcome
    output=$("$@" 2>&1) && outcome=pass || outcome=fail
    if [ "$outcome" = "$wanted" ] && grep -qF -- "$text" <<<"$output"; then
        echo "ok   $what"; passes=$((passes + 1))
    else
        echo "FAIL $what (wanted $wanted, got $outcome)"; echo "$output" | tail -5
        failures=$((failures + 1))
    fi
}

expect "a missing payload file stops the configure step" "TESSELLOGRAPH_MAIN_PROGRAM: no such file" fail \
    cmake -S "$source_dir" -B "$work/missing" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DTESSELLOGRAPH_MAIN_PROGRAM="$work/missing.exe"

truncate -s 4294967296 "$work/huge.exe"     # sparse: takes no disk space
truncate -s 4294967295 "$work/largest.exe"
expect "a 4 GiB payload file stops the build" "4 GiB or larger (4294967296 bytes)" fail \
    bash -c "cmake -S '$source_dir' -B '$work/huge' -DCMAKE_TOOLCHAIN_FILE='$toolchain' \
        -DTESSELLOGRAPH_ENGINE_PROGRAM='$work/huge.exe' >/dev/null &&
        cmake --build '$work/huge' --target PayloadBlockObjectCheck"
expect "a payload file one byte under 4 GiB passes the check" "Built target PayloadBlockObjectCheck" pass \
    bash -c "cmake -S '$source_dir' -B '$work/largest' -DCMAKE_TOOLCHAIN_FILE='$toolchain' \
        -DTESSELLOGRAPH_SAMPLE_DOCUMENT='$work/largest.exe' >/dev/null &&
        cmake --build '$work/largest' --target PayloadBlockObjectCheck"

echo "$passes passed, $failures failed"
exit $((failures != 0))
