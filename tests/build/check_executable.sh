#!/usr/bin/env bash
# The built installer's shape: a 32-bit GUI program that imports from the
# five system DLLs only and no heap or runtime function, carries its payload
# block byte for byte (as tessellograph-payload reads it), stays small around
# it, and has exactly the resources windres reads back in
# installer_resources.txt. The stand-in editor carries the 33 icons its
# registry values point into.
set -u
build=${1:?usage: check_executable.sh WINDOWS_BUILD_DIR PAYLOAD_TOOL}
tool=${2:?}
exe=$build/TessellographInstall.exe
here=$(dirname "$0")
source "$here/../checks.sh"

headers=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 for i386, GUI subsystem" grep -qzE 'file format pei-i386.*Subsystem\s+00000002' <<<"$headers"
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
check "imports only the five system DLLs ($dlls)" \
    test "$dlls" = "advapi32.dll kernel32.dll ole32.dll shell32.dll user32.dll "
check "imports no heap or runtime function" \
    bash -c '! grep -qwE "HeapAlloc|HeapCreate|LocalAlloc|GlobalAlloc|VirtualAlloc|malloc|_initterm|__getmainargs" <<<"$1"' _ "$headers"

check "the payload block carries the stand-in files, each followed by its length" \
    "$tool" verify "$exe" "$build"/standin/{Tessellograph.exe,Tessellograph3D.exe,Brick.tpf}
read -r address offset < <(i686-w64-mingw32-objdump -h "$exe" | awk '$2 == ".payload" {print $4, $6}')
check "the payload section starts on a page, in the file ($offset) and in memory ($address)" \
    test $((0x$offset % 4096 + 0x$address % 4096)) = 0
overhead=$("$tool" list "$exe" | sed -n 's/^installer without its payload: \([0-9]*\) bytes$/\1/p')
check "the installer without its payload is under 16 KiB ($overhead bytes)" test "${overhead:-16384}" -lt 16384

resources=$(i686-w64-mingw32-windres -i "$exe" -O rc | awk '/RT_ICON \*\//{skip=1} skip&&/^END/{skip=0; next} !skip')
check "resources: dialog, icon group, version block and manifest" \
    diff -u "$here/installer_resources.txt" - <<<"$resources"
icons=$(i686-w64-mingw32-windres -i "$build/standin/Tessellograph.exe" -O rc | grep -c 'RT_GROUP_ICON')
check "the stand-in editor has 33 icon groups ($icons)" test "$icons" = 33

finish
