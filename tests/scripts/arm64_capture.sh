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
fail() {
    echo "FAIL: $*"
    exit 1
}
[[ -x $arm/velmora-capture ]] || fail "no arm64 build in $arm (scripts/arm64-build makes one)"
cached() { sed -n "s/^$1:[A-Z]*=//p" "$arm/CMakeCache.txt"; }
qemu=(/usr/bin/env -u VELMORA_THREADS "$(cached VELMORA_QEMU)" -L "$(cached VELMORA_ARM64_SYSROOT)")

for file in oldskool.dat drift.mod; do
    cmp "$build/$file" "$arm/$file" || fail "$file made on arm64 differs from this machine's"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Captures what NAME says with OPTIONS here and on arm64, and compares every file they write.
compare() {
    local name=$1 out
    shift
    local capture=(velmora-capture --frames --threads 2 "$@")
    out=$work/$((++captures))
    "$build/${capture[0]}" "${capture[@]:1}" --assets "$build" --out "$out/here" >"$out.here.log" 2>&1 ||
        fail "the capture here failed: $(tail -n 5 "$out.here.log")"
    "${qemu[@]}" "$arm/${capture[0]}" "${capture[@]:1}" --assets "$arm" --out "$out/arm64" >"$out.arm64.log" 2>&1 ||
        fail "the arm64 capture failed: $(tail -n 5 "$out.arm64.log")"
    [[ $(cd "$out/here" && find . -type f | sort) == $(cd "$out/arm64" && find . -type f | sort) ]] ||
        fail "$name: the two captures wrote different files"
    local frames different=0 file
    frames=$(find "$out/here" -name '*.png' | wc -l)
    while read -r file; do
        cmp -s "$out/here/$file" "$out/arm64/$file" || different=$((different + 1))
    done < <(cd "$out/here" && find . -type f)
    echo "$name: $frames frames and the WAV, $different file(s) differ"
    ((different == 0)) || fail "$name: the arm64 capture differs"
    counted=$((counted + frames))
}
counted=0 captures=0
compare "the whole show at 5 frames/s" --fps 5
(($(find "$work/1/here" -name '*.png' | wc -l) > 1400)) ||
    fail "the capture did not write the whole show's frames"
compare "79-89 s at 60 frames/s" --from 79000 --to 89000
echo "PASS: the datafile, the module, $counted frames and their WAVs are the same bytes on arm64"
