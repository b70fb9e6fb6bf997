#!/usr/bin/env bash
# Builds the installer unsigned and signed. Two unsigned builds in different
# folders are identical. Signed with a throwaway certificate it verifies, is
# the unsigned program plus a signature, comes out identical from two builds
# under SOURCE_DATE_EPOCH (one with the PKCS#12 file, one with the PEM pair of
# the same key), installs under Wine and reads like an unsigned one. A wrong password or a missing key
# stops the build, and the next one, with no signed file left behind.
set -u
source_dir=$(realpath "${1:?usage: check_signing.sh SOURCE_DIR WORK_DIR PAYLOAD_TOOL}")
work=$(realpath -m "${2:?}")
tool=$(realpath "${3:?}")
rm -rf "$work"; mkdir -p "$work"; cd "$work"
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1765000000 TESSELLOGRAPH_SIGNING_PASSWORD=Sesame-4417
# Pristine Wine prefixes are shared with the other Wine tests, beside WORK_DIR.
export TESSELLOGRAPH_WINE_PREFIXES=${TESSELLOGRAPH_WINE_PREFIXES:-$work/../wine-prefixes}
source "$source_dir/tests/checks.sh"
build() {  # build TREE TARGET CMAKE-OPTIONS...; the output goes to TREE.log
    cmake -S "$source_dir" -B "$1" --toolchain "$source_dir/cmake/i686-w64-mingw32.cmake" "${@:3}" >"$1.log" 2>&1 &&
        cmake --build "$1" --target "$2" -j2 >>"$1.log" 2>&1
}
same() { cmp "$1/TessellographInstall.exe" "$2/TessellographInstall.exe"; }
refused() {  # refused TREE "message" CMAKE-OPTIONS...: two builds fail, say why, leave no signed file
    ! build "$1" SignedInstaller "${@:3}" && ! build "$1" SignedInstaller "${@:3}" && grep -F "$2" "$1.log" &&
        [ -z "$(find "$1" -maxdepth 1 -name 'TessellographInstall.exe*')" ]
}
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=Throwaway -days 2 -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -passout env:TESSELLOGRAPH_SIGNING_PASSWORD -out key.p12
pkcs12=-DTESSELLOGRAPH_SIGNING_PKCS12=$work/key.p12
certificate=-DTESSELLOGRAPH_SIGNING_CERTIFICATE=$work/cert.pem

build unsigned TessellographInstall; build unsigned-in-a-longer-named-folder TessellographInstall
check "two unsigned builds in different folders are identical" same unsigned unsigned-in-a-longer-named-folder
build signed all "$pkcs12"; build signed-again all "$certificate" -DTESSELLOGRAPH_SIGNING_KEY="$work/key.pem"
sha256sum ./*/TessellographInstall.exe
check "the signed installer verifies" osslsigncode verify -CAfile cert.pem -in signed/TessellographInstall.exe
osslsigncode remove-signature -in signed/TessellographInstall.exe -out stripped.exe >/dev/null
check "it is the unsigned program plus a signature" cmp stripped.exe unsigned/TessellographInstall.exe
check "two signed builds are identical" same signed signed-again
check "the password is nowhere in the build folder" bash -c '! grep -rqF "$1" signed' _ "$TESSELLOGRAPH_SIGNING_PASSWORD"
check "the signed installer installs under Wine" python3 "$source_dir/tests/wine/scenario.py" win32 default signed
check "the payload tool reads the signed installer" \
    "$tool" verify signed/TessellographInstall.exe signed/standin/{Tessellograph.exe,Tessellograph3D.exe,Brick.tpf}
TESSELLOGRAPH_SIGNING_PASSWORD=wrong check "a wrong password stops the build" \
    refused wrong-password "wrong TESSELLOGRAPH_SIGNING_PASSWORD" "$pkcs12"
check "a missing key file stops the build" refused missing-key "TESSELLOGRAPH_SIGNING_KEY: no such file" \
    "$certificate" -DTESSELLOGRAPH_SIGNING_KEY="$work/missing.pem"

finish
