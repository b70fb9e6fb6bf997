#!/usr/bin/env bash
# The built installer's shape: a 32-bit GUI program that imports from the
# five system DLLs only and no heap or runtime function, carries its payload
# block byte for byte, stays small around it, and has exactly the resources
# windres reads back in installer_resources.txt. The stand-in editor carries
# the 33 icons its registry values point into.
set -u
build=${1:?usage: check_executable.sh WINDOWS_BUILD_DIR}
exe=$build/TessellographInstall.exe
here=$(dirname "$0")
failures=0
check() {  # check "what" command...
    local what=$1; shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

headers=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 for i386, GUI subsystem" grep -qzE 'file format pei-i386.*Subsystem\s+00000002' <<<"$headers"
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
check "imports only the five system DLLs ($dlls)" \
    test "$dlls" = "advapi32.dll kernel32.dll ole32.dll shell32.dll user32.dll "
check "imports no heap or runtime function" \
    bash -c '! grep -qwE "HeapAlloc|HeapCreate|LocalAlloc|GlobalAlloc|VirtualAlloc|malloc|_initterm|__getmainargs" <<<"$1"' _ "$headers"

block=$(mktemp)
trap 'rm -f "$block"' EXIT
i686-w64-mingw32-objcopy -O binary --only-section=.payload "$exe" "$block"
expected=$(for file in Tessellograph.exe Tessellograph3D.exe Brick.tpf; do
    cat "$build/standin/$file" | od -An -v -tx1
    printf '%08x' "$(stat -c %s "$build/standin/$file")" | sed 's/\(..\)\(..\)\(..\)\(..\)/ \4 \3 \2 \1/'
done | tr -s ' \n' '\n\n' | grep .)
payload=$(wc -l <<<"$expected")
check "the payload block is each file followed by its u32 length, then at most 3 bytes of padding" \
    bash -c '[ "$(head -c "$2" "$1" | od -An -v -tx1 | tr -s " \n" "\n\n" | grep .)" = "$3" ] &&
             [ $(($(stat -c %s "$1") - $2)) -lt 4 ]' _ "$block" "$payload" "$expected"
read -r address offset < <(i686-w64-mingw32-objdump -h "$exe" | awk '$2 == ".payload" {print $4, $6}')
check "the payload section starts on a page, in the file ($offset) and in memory ($address)" \
    test $((0x$offset % 4096 + 0x$address % 4096)) = 0
overhead=$(($(stat -c %s "$exe") - payload))
check "the installer without its payload is under 16 KiB ($overhead bytes)" test "$overhead" -lt 16384

resources=$(i686-w64-mingw32-windres -i "$exe" -O rc | awk '/RT_ICON \*\//{skip=1} skip&&/^END/{skip=0; next} !skip')
check "resources: dialog, icon group, version block and manifest" \
    diff -u "$here/installer_resources.txt" - <<<"$resources"
icons=$(i686-w64-mingw32-windres -i "$build/standin/Tessellograph.exe" -O rc | grep -c 'RT_GROUP_ICON')
check "the stand-in editor has 33 icon groups ($icons)" test "$icons" = 33

exit $((failures != 0))
