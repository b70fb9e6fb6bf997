#!/bin/bash
# run_scenario.sh ARCH SCENARIO WINDOWS_BUILD_DIR
# Runs one driver scenario in a throw-away copy of a pristine Wine prefix.
#   ARCH: win32 or win64. SCENARIO: a driver scenario, or "prepare" to only
#   boot the pristine prefix. WINDOWS_BUILD_DIR: the cross build's folder.
# Environment:
#   TESSELLOGRAPH_WINE_PREFIXES  where pristine prefixes are kept
#                                (default WINDOWS_BUILD_DIR/../wine-prefixes)
#   TESSELLOGRAPH_KEEP_PREFIX=1  keep the scenario's prefix and say where
#   TESSELLOGRAPH_WINE_TIMEOUT   seconds before a hung run is killed (120)
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 win32|win64 SCENARIO WINDOWS_BUILD_DIR" >&2
    exit 2
fi
arch=$1
scenario=$2
build=$(cd "$3" && pwd)
case "$arch" in win32|win64) ;; *) echo "unknown arch: $arch" >&2; exit 2 ;; esac

prefixes=${TESSELLOGRAPH_WINE_PREFIXES:-$(dirname "$build")/wine-prefixes}
pristine=$prefixes/pristine-$arch
timeout_seconds=${TESSELLOGRAPH_WINE_TIMEOUT:-120}

# Headless and quiet: no X server, no desktop menu entries in the Linux home,
# no Mono or Gecko download prompts while booting.
unset DISPLAY WAYLAND_DISPLAY
export HOME=${HOME:-/tmp}
export WINEDEBUG=-all
export WINEARCH=$arch

# One boot per arch, shared by all scenarios; ctest may start several at once.
mkdir -p "$prefixes"
exec 9>"$pristine.lock"
flock 9
# A prefix booted by another Wine version is booted again.
wine_version=$(wine --version)
if [ "$(cat "$pristine/.booted" 2>/dev/null)" != "$wine_version" ]; then
    echo "booting pristine $arch prefix in $pristine"
    boot_started=$SECONDS
    rm -rf "$pristine" "$pristine.new" "$pristine.home"
    export WINEPREFIX=$pristine.new
    # The user's shell folders become links to $HOME: boot with a scratch
    # home, then make them plain folders so nothing a scenario saves on the
    # Desktop lands outside the prefix.
    mkdir -p "$pristine.home"
    HOME=$pristine.home WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
        timeout "$timeout_seconds" wineboot -i </dev/null
    find "$WINEPREFIX/drive_c" -type l -print0 |
        while IFS= read -r -d '' link; do rm "$link" && mkdir "$link"; done
    rm -rf "$pristine.home"
    # With the null driver windows exist and take messages without a display.
    WINEDLLOVERRIDES="winemenubuilder.exe=d" \
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null
    wineserver -w
    echo "$wine_version" >"$WINEPREFIX/.booted"
    mv "$WINEPREFIX" "$pristine"
    echo "booted in $((SECONDS - boot_started)) s"
fi
flock -u 9
exec 9>&-
[ "$scenario" = prepare ] && exit 0

driver=$build/tests/wine/TessellographTestDriver.exe
installer=$build/TessellographInstall.exe
standin=$build/standin
for file in "$driver" "$installer" "$standin/Tessellograph.exe"; do
    [ -f "$file" ] || { echo "missing: $file (build the Windows tree first)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tessellograph-$arch-$scenario.XXXXXX")
export WINEPREFIX=$work/prefix
export WINEDLLOVERRIDES=winemenubuilder.exe=d
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ "${TESSELLOGRAPH_KEEP_PREFIX:-0}" = 1 ]; then
        echo "kept prefix: WINEPREFIX=$WINEPREFIX"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
# Program images and data files that Wine only reads are hard links to the
# pristine prefix (the win64 one is over 1 GB); every other file, the
# registry and .ini files among them, is a copy of its own.
cp -a --link "$pristine" "$WINEPREFIX"
(cd "$pristine" && find . -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' \
    -o -iname '*.sys' -o -iname '*.nls' -o -iname '*.ocx' -o -iname '*.acm' -o -iname '*.cpl' \
    -o -iname '*.tlb' -o -iname '*.msstyles' -o -iname '*.ax' -o -iname '*.com' \
    -o -iname '*.vxd' -o -iname '*.ds' \) -print0 |
    xargs -0 -r cp -a --parents --remove-destination -t "$WINEPREFIX")
# Wine rewrites its DLLs in place when it thinks the prefix is out of date:
# never in a scenario's copy, whose DLLs are the pristine ones.
echo disable >"$WINEPREFIX/.update-timestamp"

# Z: is the Linux root in every prefix.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

started=$SECONDS
status=0
timeout -k 10 "$timeout_seconds" wine "$(windows_path "$driver")" "$scenario" \
    "$(windows_path "$installer")" "$(windows_path "$standin")" </dev/null || status=$?
echo "wine.$arch.$scenario: exit $status after $((SECONDS - started)) s"
if [ "$status" = 124 ] || [ "$status" = 137 ]; then
    echo "timed out after $timeout_seconds s" >&2
fi
exit "$status"
