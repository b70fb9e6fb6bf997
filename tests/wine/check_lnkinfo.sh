#!/bin/bash
# check_lnkinfo.sh ARCH WINDOWS_BUILD_DIR
# A default install's two shortcuts, read by a reader that is not Wine's
# shell: lnkinfo (liblnk-utils) must parse each file and find the installed
# program as its local path and as the last item of its ID list.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 win32|win64 WINDOWS_BUILD_DIR" >&2
    exit 2
fi
arch=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd)

if ! command -v lnkinfo >/dev/null; then
    echo "FAIL lnkinfo is not installed (apt-get install liblnk-utils)"
    exit 1
fi

case "$arch" in
    win32) program_files='C:\Program Files' ;;
    win64) program_files='C:\Program Files (x86)' ;;  # the 32-bit installer's view
    *) echo "unknown arch: $arch" >&2; exit 2 ;;
esac

log=$(mktemp)
work=""
cleanup() {
    rm -f "$log"
    [ -n "$work" ] && rm -rf "$work"
    return 0
}
trap cleanup EXIT

status=0
TESSELLOGRAPH_KEEP_PREFIX=1 "$here/run_scenario.sh" "$arch" shortcuts_default "$build" >"$log" 2>&1 ||
    status=$?
prefix=$(sed -n 's/^kept prefix: WINEPREFIX=//p' "$log")
[ -n "$prefix" ] && work=$(dirname "$prefix")
if [ "$status" != 0 ] || [ -z "$prefix" ]; then
    cat "$log"
    echo "FAIL the install scenario did not pass (exit $status)"
    exit 1
fi

# The driver prints the group as a Windows path on C:, the prefix's drive_c.
group=$(sed -n 's/^ *shortcut folder: C:\\//p' "$log" | tr -d '\r' | tr '\\' '/')
if [ -z "$group" ]; then
    echo "FAIL the driver did not print the shortcut folder"
    exit 1
fi
group=$prefix/drive_c/$group

failed=0
check() {  # check ACTUAL EXPECTED MESSAGE
    if [ "$1" = "$2" ]; then
        echo "ok   $3"
    else
        echo "FAIL $3: got \"$1\""
        failed=$((failed + 1))
    fi
}
for name in Tessellograph3D Tessellograph; do
    link=$group/$name.lnk
    target="$program_files\\Quorrelin\\$name.exe"
    if [ ! -f "$link" ]; then
        check missing present "$name.lnk exists at $link"
        continue
    fi
    output=$(lnkinfo "$link" 2>&1) && rc=0 || rc=$?
    echo "$output" | sed 's/^/     /'
    check "$rc" 0 "lnkinfo reads $name.lnk (exit status)"
    local_path=$(echo "$output" | sed -n 's/^[[:space:]]*Local path[[:space:]]*: //p')
    check "$local_path" "$target" "$name.lnk local path is $target"
    last_item=$(echo "$output" | sed -n 's/^[[:space:]]*Name[[:space:]]*: //p' | tail -n 1)
    check "$last_item" "$name.exe" "$name.lnk ID list ends in $name.exe"
done
echo "lnkinfo.$arch: $failed failed"
[ "$failed" = 0 ]
