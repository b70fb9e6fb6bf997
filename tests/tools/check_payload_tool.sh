#!/usr/bin/env bash
# tessellograph-payload on the built installer and on broken copies of it.
# reading: list names the files in block order with their lengths and SHA-256
# (which checks the build's payload block against the stand-in files too), and
# verify tells a changed file by its length or its first differing offset.
# refusing: each malformed installer gets exit 2 and one message, and no
# folder is made. extracting: the files come back byte for byte, one already
# there stays unless --force, and a failure late in the run (a folder in the
# way, a full file system) leaves the folder as it was (an empty one too), or
# not there.
set -u
tool=${1:?usage: check_payload_tool.sh TOOL WINDOWS_BUILD_DIR WORK_DIR}
exe=$2/TessellographInstall.exe work=$3 out=$3/out
source "$(dirname "$0")/../checks.sh"
files=("$2"/standin/{Tessellograph.exe,Tessellograph3D.exe,Brick.tpf})
rm -rf "$work"; mkdir -p "$work"; trap 'rm -rf "$work"' EXIT
size() { stat -c %s "$1"; }
snapshot() { find "$1" -printf '%y %P\n' -type f -exec md5sum {} + 2>/dev/null | sort; }
as_before() {  # as_before FOLDER command...: its status, or 9 and what FOLDER holds when it is not as it was
    local before=$(snapshot "$1") status; "${@:2}"; status=$?
    [ "$(snapshot "$1")" = "$before" ] && return $status || { echo "now:"; snapshot "$1"; return 9; }
}; export -f snapshot as_before

# Reading.
listed=$(for f in "${files[@]}"; do echo "${f##*/} $(size "$f") $(sha256sum <"$f" | cut -c1-64)"; done)
expect "list: the files in block order, their lengths and SHA-256, then the rest" 0 "$listed
installer without its payload: $(($(size "$exe") - $(cat "${files[@]}" | wc -c) - 12)) bytes" \
    bash -c '"$1" list "$2" | tr -s " "' _ "$tool" "$exe"
head -c -1 "${files[1]}" >"$work/short"; tr '\0' '\377' <"${files[2]}" >"$work/changed"
expect "verify: tells a shorter file by its length and a changed one by its first differing offset" 1 \
    "Tessellograph.exe: matches ${files[0]}
Tessellograph3D.exe: differs from $work/short: $(size "${files[1]}") bytes in the installer, $(size "$work/short") in the file
Brick.tpf: differs from $work/changed: first at offset $(cmp -l "${files[2]}" "$work/changed" | awk 'NR == 1 {print $1 - 1}')" \
    "$tool" verify "$exe" "${files[0]}" "$work/short" "$work/changed"

# Refusing, before anything is extracted into $out.
refused() { expect "refuses $1" 2 "$2" "$tool" extract "$3" "$out"; }  # refused "what" "text of its message" FILE
altered() { patched "$exe" "$1" "$2" "$work/patched" && echo "$work/patched"; }  # altered OFFSET BYTES: a copy, named
header=$(grep -obUa '\.payload' "$exe" | head -1 | cut -d: -f1)
block=$(od -An -tu4 -j $((header + 20)) -N4 "$exe")
for cut in 64 300 $((block + 100)) $(($(size "$exe") - 1)); do
    head -c $cut "$exe" >"$work/cut"; refused "a file cut at $cut bytes" "past the end of the file" "$work/cut"
done
refused "a section table pointing past the end" ".payload) runs past the end" "$(altered $((header + 20)) '\0\0\0\20')"
refused "a length field too big" "length field of Tessellograph.exe runs past" "$(altered $((block + $(size "${files[0]}"))) '\360\377\377\377')"
refused "lengths that do not add up" "leave $(size "${files[0]}") of its bytes" "$(altered $((block + $(size "${files[0]}"))) '\0\0\0\0')"
refused "no payload section" "no .payload section" "$(altered $header '\0')"
head -c 5000 /dev/urandom >"$work/random"; refused "random bytes" "" "$work/random"
expect "refusals make no folder" 0 "" test ! -e "$out"

# Extracting.
expect "extract: the three files byte for byte, and nothing else" 0 "" bash -c '"$1" extract "$2" "$3" &&
    for f in "${@:4}"; do cmp "$f" "$3/${f##*/}" || exit; done && [ $(ls -A "$3" | wc -l) = 3 ]' _ "$tool" "$exe" "$out" "${files[@]}"
echo kept >"$out/Brick.tpf"; rm "$out/Tessellograph"*
expect "extract: refuses to overwrite a file, and writes nothing" 2 "Brick.tpf: already exists" as_before "$out" "$tool" extract "$exe" "$out"
expect "extract --force overwrites" 0 "" bash -c '"$1" extract --force "$2" "$3" && cmp "$3/Brick.tpf" "$4"' _ "$tool" "$exe" "$out" "${files[2]}"
echo old >"$out/Tessellograph.exe"; rm "$out/Tessellograph3D.exe"; mkdir -p "$out/Tessellograph3D.exe/in-the-way" "$work/tmpfs"
expect "extract --force: a folder where the second file goes puts the first one back" 2 "Tessellograph3D.exe: Is a directory" \
    as_before "$out" "$tool" extract --force "$exe" "$out"
expect "extract: a full file system keeps an empty folder that was there, and leaves none of its making" 2 \
    "No space left on device" unshare -rm bash -c 'mount -t tmpfs -o size=16k tmpfs "$1" && mkdir "$1/kept" &&
    { as_before "$1/kept" "${@:2}" "$1/kept" >/dev/null 2>&1; [ $? = 2 ]; } && as_before "$1/new" "${@:2}" "$1/new"' \
    _ "$work/tmpfs" "$tool" extract "$exe"
expect "extract: a missing parent folder" 2 "No such file or directory" as_before "$work/none" "$tool" extract "$exe" "$work/none/out"
finish
