#!/usr/bin/env bash
# Two clean builds in different folders give a byte-identical installer.
set -eu
source_dir=${1:?usage: check_reproducible.sh SOURCE_DIR WORK_DIR}
work=${2:?}
rm -rf "$work"
for tree in first second-with-a-longer-name; do
    cmake -S "$source_dir" -B "$work/$tree" \
        -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/i686-w64-mingw32.cmake" >/dev/null
    cmake --build "$work/$tree" --target TessellographInstall -j2 >/dev/null
done
a=$(sha256sum <"$work/first/TessellographInstall.exe")
b=$(sha256sum <"$work/second-with-a-longer-name/TessellographInstall.exe")
echo "first:  $a"
echo "second: $b"
rm -rf "$work"
if [ "$a" = "$b" ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
