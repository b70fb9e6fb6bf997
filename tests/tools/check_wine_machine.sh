#!/usr/bin/env bash
# tools/wine-machine: where it decides Wine runs, and a command run in the
# emulated machine as if it ran here.
#   check_wine_machine.sh SOURCE_DIR WORK_DIR
set -u
source_dir=$(realpath "$1") work=$(realpath -m "$2")
source "$source_dir/tests/checks.sh"
tool=$source_dir/tools/wine-machine
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit
trap 'rm -rf "$work"' EXIT

# A machine whose kernel runs no 32-bit programs, as far as the tool can
# tell: a private mount namespace where the 32-bit loader is a 32-bit ELF
# header the kernel refuses.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\000\000\003\000' >refused-loader
chmod +x refused-loader
# (unshare -r: a user namespace of its own, for root or not, as the payload tool's checks use.)
without_32bit() { unshare -rm bash -c 'mount --bind "$1" /lib/ld-linux.so.2 && "${@:2}"' _ "$work/refused-loader" "$@"; }

expect "with no 32-bit programs it runs emulated" 0 emulated without_32bit env -u TESSELLOGRAPH_WINE "$tool" --where
TESSELLOGRAPH_WINE=direct expect "forced direct there, it refuses and says why" 1 \
    "TESSELLOGRAPH_WINE=direct, but this machine runs no 32-bit x86 programs" without_32bit "$tool" touch ran
check "... and runs nothing" test ! -e ran
TESSELLOGRAPH_WINE=nowhere expect "an unknown TESSELLOGRAPH_WINE is refused" 2 "must be direct or emulated" "$tool" true

# In the guest: this folder, this environment, a 32-bit program, files the
# host reads afterwards, and the command's own status.
export TESSELLOGRAPH_CHECK_WORD="two words"
TESSELLOGRAPH_WINE=emulated "$tool" bash -c \
    'echo "in $PWD: $TESSELLOGRAPH_CHECK_WORD"; /lib/ld-linux.so.2 --version | head -1 >loader; uname -r >kernel; exit 7' \
    >guest 2>guest.err; status=$?
cat guest guest.err
check "the command's status comes back (7: $status)" test "$status" = 7
check "it ran in this folder with this environment" grep -qxF "in $work: two words" guest
check "the guest runs 32-bit programs" grep -q '^ld.so' loader
check "in a kernel of its own" bash -c '[ -s kernel ] && [ "$(cat kernel)" != "$(uname -r)" ]'
check "the run says once that it is emulated, and why" \
    test "$(grep -c 'Wine runs in an emulated machine: TESSELLOGRAPH_WINE=emulated says so' guest.err)" = 1

TESSELLOGRAPH_WINE=emulated TESSELLOGRAPH_WINE_MACHINE_TIMEOUT=25 "$tool" \
    bash -c 'echo "waiting for nothing"; sleep 600' >hung 2>&1; status=$?
cat hung
check "a hung guest is stopped (status $status) and says where it was" \
    bash -c '[ "$1" = 124 ] && grep -q "stopped after 25 s" hung && grep -q "^    waiting for nothing" hung' _ "$status"
finish
