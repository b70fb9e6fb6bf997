#!/usr/bin/env bash
# The built installer's shape: a 32-bit GUI PE with its own entry point, no
# runtime library, imports from the five system DLLs only, the payload block
# laid out byte for byte, and little code around it.
set -u
build=${1:?usage: check_executable.sh WINDOWS_BUILD_DIR}
exe=$build/TessellographInstall.exe
standin=$build/standin
objdump=i686-w64-mingw32-objdump
passes=0
failures=0
check() {  # check "what" command...
    local what=$1; shift
    if "$@"; then
        echo "ok   $what"; passes=$((passes + 1))
    else
        echo "FAIL $what"; failures=$((failures + 1))
    fi
}

headers=$($objdump -p "$exe")
check "PE32 for i386" grep -q 'file format pei-i386' <<<"$headers"
check "GUI subsystem" grep -qE '^Subsystem\s+00000002' <<<"$headers"

dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
check "imports only the five system DLLs (got: $dlls)" \
    test "$dlls" = "advapi32.dll kernel32.dll ole32.dll shell32.dll user32.dll "
imports=$(awk '/DLL Name:/{dll=$3} /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/{print dll": "$3}' <<<"$headers")
check "no heap or runtime functions imported" \
    bash -c '! grep -qE ": (HeapAlloc|HeapCreate|LocalAlloc|GlobalAlloc|VirtualAlloc|malloc|calloc|_initterm|__getmainargs)$" <<<"$1"' _ "$imports"
echo "$imports" | sed 's/^/     /'

# The payload section holds each file followed by its length, nothing else.
block=$(mktemp)
expected=$(mktemp)
trap 'rm -f "$block" "$expected"' EXIT
i686-w64-mingw32-objcopy -O binary --only-section=.payload "$exe" "$block"
: >"$expected"
for file in Tessellograph.exe Tessellograph3D.exe Brick.tpf; do
    cat "$standin/$file" >>"$expected"
    python3 -c 'import struct,sys,os; sys.stdout.buffer.write(struct.pack("<I", os.path.getsize(sys.argv[1])))' \
        "$standin/$file" >>"$expected"
done
payload=$(stat -c %s "$expected")
# The section may end in up to 3 bytes of alignment padding.
check "payload block is the three files, each followed by its u32 length" \
    cmp -s -n "$payload" "$block" "$expected"
check "nothing but padding after the block" \
    test $(($(stat -c %s "$block") - payload)) -lt 4

size=$(stat -c %s "$exe")
overhead=$((size - payload))
echo "     exe $size bytes, payload $payload bytes, installer itself $overhead bytes"
check "installer without its payload is under 16 KiB ($overhead bytes)" test "$overhead" -lt 16384

check "resources: dialog, icon, version block, manifest" \
    python3 "$(dirname "$0")/../tools/check_resources.py" installer "$exe"

echo "$passes passed, $failures failed"
exit $((failures != 0))
