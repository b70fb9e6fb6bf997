#!/usr/bin/env bash
# The installer as the build makes it, in WINDOWS_BUILD_DIR and in builds of
# its own in WORK_DIR.
# shape: a 32-bit GUI program importing no heap or runtime function, its
# payload section on a page and under 18 KiB around it, exactly the resources
# in installer_resources.txt. (Its payload against the stand-in files is
# payload_tool's "list" and the release check's below, its five system DLLs
# the release check's.)
# signing: signed through a SoftHSM2 token of tools/throwaway-signer it is the
# program of WINDOWS_BUILD_DIR, built in another folder, plus a signature; the
# same under SOURCE_DATE_EPOCH with the certificate from the token or a file
# (kept in WORK_DIR.signed, where wine.win32.signed installs it); timestamped
# by osslsigncode's own authority it passes tools/check-release, which refuses
# it unsigned, from another CA, without a timestamp or with a payload byte
# changed; a wrong PIN, a key not in the token, a missing module, a wrong
# password or a missing key file stops the build, twice, with no signed file
# left behind.
# refusal: a missing payload file stops the configure, and so do payload files
# a byte past the ceiling of 1.5 GiB together, naming each; at the ceiling they
# configure, and a file grown past it stops the next build.
set -u
[ $# = 4 ] || { echo "usage: check_build.sh SOURCE_DIR WINDOWS_BUILD_DIR PAYLOAD_TOOL WORK_DIR"; exit 2; }
source_dir=$(realpath "$1") windows=$(realpath "$2") tool=$(realpath "$3") work=$(realpath -m "$4")
source "$source_dir/tests/checks.sh"
rm -rf "$work" "$work.signed"; mkdir -p "$work"; cd "$work" || exit
trap 'rm -rf "$work"' EXIT
# No build type: WINDOWS_BUILD_DIR's is Release, and the program must not differ by it.
configure() { cmake -S "$source_dir" -B "$1" --toolchain "$source_dir/cmake/i686-w64-mingw32.cmake" "${@:2}" >"$1.log" 2>&1; }
build() {  # build TREE TARGET CMAKE-OPTIONS...; the output goes to TREE.log
    configure "$1" "${@:3}" && cmake --build "$1" --target "$2" -j2 >>"$1.log" 2>&1
}

# Shape.
exe=$windows/TessellographInstall.exe
headers=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 for i386, GUI subsystem" grep -qzE 'file format pei-i386.*Subsystem\s+00000002' <<<"$headers"
check "imports no heap or runtime function" \
    bash -c '! grep -qwE "HeapAlloc|HeapCreate|LocalAlloc|GlobalAlloc|VirtualAlloc|malloc|_initterm|__getmainargs" <<<"$1"' _ "$headers"
read -r address offset < <(i686-w64-mingw32-objdump -h "$exe" | awk '$2 == ".payload" {print $4, $6}')
check "the payload section starts on a page, in the file (${offset:-none}) and in memory (${address:-none})" \
    grep -qxE '[0-9a-f]{5}000 [0-9a-f]{5}000' <<<"$offset $address"
overhead=$("$tool" list "$exe" | sed -n 's/^installer without its payload: \([0-9]*\) bytes$/\1/p')
check "the installer without its payload is under 18 KiB ($overhead bytes)" test "${overhead:-18432}" -lt 18432
resources=$(i686-w64-mingw32-windres -i "$exe" -O rc | awk '/RT_ICON \*\//{skip=1} skip&&/^END/{skip=0; next} !skip')
check "resources: dialog, icon group, version block and manifest" \
    diff -u "$source_dir/tests/build/installer_resources.txt" - <<<"$resources"

# Signing.
refused() {  # refused TREE "message" CMAKE-OPTIONS...: two builds fail, say why, leave no signed file
    ! build "$1" SignedInstaller "${@:3}" && ! build "$1" SignedInstaller "${@:3}" && grep -F "$2" "$1.log" &&
        [ -z "$(find "$1" -maxdepth 1 -name 'TessellographInstall.exe*')" ]
}
release() {  # release REPORT "FAILING,LINES," INSTALLER OPTIONS...: check-release fails on just those, or on none and passes
    local status=0
    "$source_dir/tools/check-release" --payload-tool "$tool" "${@:4}" "$3" \
        signed/standin/{Tessellograph.exe,Tessellograph3D.exe,Brick.tpf} >"$1" || status=$?
    cat "$1"; [ "$status" = $((${#2} > 0)) ] && [ "$(sed -n 's/^FAIL \([^:]*\):.*/\1/p' "$1" | tr '\n' ,)" = "$2" ]
}
export SOURCE_DATE_EPOCH=1765000000 TESSELLOGRAPH_SIGNING_PASSWORD=Sesame-4417 SOFTHSM2_CONF=$work/signer/softhsm2.conf
"$source_dir/tools/throwaway-signer" signer >/dev/null
module=/usr/lib/softhsm/libsofthsm2.so uri='pkcs11:token=Throwaway;object=codesign;type='
token=(-DTESSELLOGRAPH_SIGNING_PKCS11_MODULE=$module "-DTESSELLOGRAPH_SIGNING_PKCS11_KEY=${uri}private")
certificate=-DTESSELLOGRAPH_SIGNING_CERTIFICATE=$work/signer/signer.pem
trusted=(--ca signer/ca.pem --tsa-ca signer/tsa-root.pem)
check "the key was made in the token and never leaves it" bash -c 'pkcs11-tool --module "$1" --login \
    --pin env:TESSELLOGRAPH_SIGNING_PASSWORD -O --type privkey 2>&1 | grep -q "sensitive.*never extractable, local"' _ "$module"

build signed all "${token[@]}" "-DTESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE=${uri}cert"
build signed-again all "${token[@]}" "$certificate"
check "signed through the token, twice, its certificate from the token or a file: identical" \
    cmp signed/TessellographInstall.exe signed-again/TessellographInstall.exe
osslsigncode remove-signature -in signed/TessellographInstall.exe -out stripped.exe >/dev/null
# Built in two folders, WINDOWS_BUILD_DIR and signed/unsigned here, and only
# here under SOURCE_DATE_EPOCH (which ld would take for a link time).
check "it is the unsigned program plus a signature" cmp stripped.exe "$exe"
check "the PIN is nowhere in the build folder" bash -c '! grep -rqF "$1" signed' _ "$TESSELLOGRAPH_SIGNING_PASSWORD"

# Stamped by osslsigncode's own authority, at a time within its certificate's days.
"$source_dir/tools/sign-installer" "$exe" stamped.exe -pkcs11module $module \
    -key "${uri}private" -certs signer/signer.pem \
    -TSA-certs signer/tsa.pem -TSA-key signer/tsa.key -TSA-time "$(date +%s)"
check "the timestamped installer passes the release check" release good.report "" stamped.exe "${trusted[@]}"
# A byte of the stand-in editor's DOS message (a space) in the payload; signing moves no section.
patched stamped.exe $((0x$offset + 100)) '\377' changed.exe
check "the release check refuses an unsigned installer" \
    release unsigned.report signed,timestamped, "$exe" "${trusted[@]}"
check "... a signature from another CA" \
    release other-ca.report signed, stamped.exe --ca signer/tsa-root.pem --tsa-ca signer/tsa-root.pem
check "... a missing timestamp" release no-timestamp.report timestamped, signed/TessellographInstall.exe "${trusted[@]}"
check "... a changed payload byte" release changed.report signed,timestamped,payload, changed.exe "${trusted[@]}"

TESSELLOGRAPH_SIGNING_PASSWORD=wrong check "a wrong PIN stops the build" refused by-the-token \
    "the token refused the PIN in TESSELLOGRAPH_SIGNING_PASSWORD" "${token[@]}" "$certificate"
check "... and so does a key that is not in the token" refused by-the-token "no token of $module holds the key" \
    -DTESSELLOGRAPH_SIGNING_PKCS11_KEY="${uri}private;id=%99"
check "... and a missing module" refused missing-module "TESSELLOGRAPH_SIGNING_PKCS11_MODULE: no such file" \
    "${token[@]}" -DTESSELLOGRAPH_SIGNING_PKCS11_MODULE=$work/missing.so "$certificate"
# Any key will do for a password that does not open it.
openssl pkcs12 -export -inkey signer/tsa.key -in signer/tsa.pem -passout env:TESSELLOGRAPH_SIGNING_PASSWORD \
    -out key.p12
TESSELLOGRAPH_SIGNING_PASSWORD=wrong check "a wrong password of a PKCS#12 file stops the build" \
    refused wrong-password "wrong TESSELLOGRAPH_SIGNING_PASSWORD" -DTESSELLOGRAPH_SIGNING_PKCS12=$work/key.p12
check "... and so does a missing key file" refused missing-key "TESSELLOGRAPH_SIGNING_KEY: no such file" \
    "$certificate" -DTESSELLOGRAPH_SIGNING_KEY="$work/missing.pem"
[ "$failures" = 0 ] && mv signed "$work.signed"

# Refusal.
payloads() {  # payloads TREE MAIN ENGINE SAMPLE: configures with these files of WORK_DIR; its log on one line
    configure "$1" -DTESSELLOGRAPH_MAIN_PROGRAM="$work/$2" -DTESSELLOGRAPH_ENGINE_PROGRAM="$work/$3" \
        -DTESSELLOGRAPH_SAMPLE_DOCUMENT="$work/$4" || { tr -s '\n ' ' ' <"$1.log"; return 1; }
    tr -s '\n ' ' ' <"$1.log"
}
truncate -s 805306368 half; truncate -s 805306367 rest; truncate -s 1 one; truncate -s 2 two  # sparse
expect "a missing file stops the configure" 1 "TESSELLOGRAPH_MAIN_PROGRAM: no such file" payloads missing none rest one
expect "files of 1.5 GiB together configure" 0 "Build files have been written" payloads ceiling half rest one
expect "a byte more is refused, naming each file" 1 "add up to 1610612737 bytes, past the 1610612736 (1.5 GiB) a 32-bit \
installer can carry: TESSELLOGRAPH_MAIN_PROGRAM 805306368 bytes, TESSELLOGRAPH_ENGINE_PROGRAM 805306367 bytes, \
TESSELLOGRAPH_SAMPLE_DOCUMENT 2 bytes" payloads past half rest two
truncate -s 2 one; check "a file grown past it stops the next build" \
    bash -c '! cmake --build ceiling --target StandInSample >ceiling.log 2>&1 && grep -q "add up to 1610612737" ceiling.log'
finish
