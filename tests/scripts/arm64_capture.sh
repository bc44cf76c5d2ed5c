#!/usr/bin/env bash
# The show built for arm64 and run under qemu-user is this machine's show, byte for byte: the
# pictures and the music that its own tools made under qemu, and the capture of the whole show at
# 5 frames/s (every chapter; every pass run as at 60) with its WAV, against this build's; and every
# frame at 60 frames/s of the ten seconds where the music's spectrum draws the most (a ray's
# length there turns on the last bits of a band). The arm64 build is $VELMORA_ARM64_BUILD or
# SOURCE_DIR/build-arm64 (scripts/arm64-build makes it).
set -euo pipefail
build=$1 source=$2
arm=${VELMORA_ARM64_BUILD:-$source/build-arm64}
source "$(dirname "$0")/lib/compare_captures.bash"
[[ -x $arm/velmora-capture ]] || fail "no arm64 build in $arm (scripts/arm64-build makes one)"
cached() { sed -n "s/^$1:[A-Z]*=//p" "$arm/CMakeCache.txt"; }
qemu=(/usr/bin/env -u VELMORA_THREADS "$(cached VELMORA_QEMU)" -L "$(cached VELMORA_ARM64_SYSROOT)")

for file in oldskool.dat drift.mod; do
    cmp "$build/$file" "$arm/$file" || fail "$file made on arm64 differs from this machine's"
done

platform=arm64
foreign=("${qemu[@]}" "$arm/velmora-capture")
foreign_assets=$arm
compare "the whole show at 5 frames/s" --fps 5
(($(find "$work/1/here" -name '*.png' | wc -l) > 1400)) ||
    fail "the capture did not write the whole show's frames"
compare "79-89 s at 60 frames/s" --from 79000 --to 89000
echo "PASS: the datafile, the module, $counted frames and their WAVs are the same bytes on arm64"
