#!/usr/bin/env bash
# The show built for Windows and run under Wine is this machine's show, byte for byte: the capture
# of the whole show at 5 frames/s (every chapter; every pass run as at 60) with its WAV, against
# this build's; and every frame at 60 frames/s of the ten seconds where the music's spectrum draws
# the most (a ray's length there turns on the last bits of a band). The Windows build is
# $VELMORA_WINDOWS_BUILD or SOURCE_DIR/build-windows (scripts/windows-build makes it); it takes
# this build's datafile and module.
set -euo pipefail
build=$1 source=$2
win=${VELMORA_WINDOWS_BUILD:-$source/build-windows}
source "$(dirname "$0")/lib/compare_captures.bash"
[[ -f $win/bin/velmora-capture.exe ]] || fail "no Windows build in $win (scripts/windows-build makes one)"

platform=windows
foreign=(/usr/bin/env -u VELMORA_THREADS "$source/scripts/wine-run" "$win/bin/velmora-capture.exe")
foreign_assets=$win/bin
compare "the whole show at 5 frames/s" --fps 5
(($(find "$work/1/here" -name '*.png' | wc -l) > 1400)) ||
    fail "the capture did not write the whole show's frames"
compare "79-89 s at 60 frames/s" --from 79000 --to 89000
echo "PASS: $counted frames and their WAVs are the same bytes on Windows"
