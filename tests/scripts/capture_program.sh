#!/usr/bin/env bash
# The offline renderer end to end: frames and sound of a short span, determinism, a picture at a
# chapter key, bad arguments, and a video through ffmpeg read back with ffprobe.
set -u
build=$1
capture="$build/velmora-capture"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
fail() { echo "FAIL: $*"; exit 1; }

# Two seconds around chapter F6 at 30 frames per second: 60 frames, 96000 stereo samples.
for run in a b; do
    "$capture" --from 108480 --to 110480 --fps 30 --frames --out "$work/$run" >/dev/null \
        || fail "capture $run failed"
done
n=$(ls "$work/a/frames" | wc -l)
[ "$n" -eq 60 ] || fail "expected 60 frames, found $n"
bytes=$(stat -c %s "$work/a/velmora.wav")
[ "$bytes" -eq $((44 + 96000 * 4)) ] || fail "WAV holds $bytes bytes, expected $((44 + 96000 * 4))"
diff -r "$work/a/frames" "$work/b/frames" >/dev/null || fail "two runs wrote different frames"
cmp -s "$work/a/velmora.wav" "$work/b/velmora.wav" || fail "two runs wrote different sound"
[ ! -e "$work/a/frames.partial" ] || fail "a provisional folder was left behind"
# Frame 30 is music time 109480, the first moment of F6: spirals, so many colours.
colours=$(convert "$work/a/frames/frame_000030.png" -format %k info:)
echo "colours at the F6 key: $colours"
[ "$colours" -gt 16 ] || fail "the frame at the F6 key is blank"

# Bad arguments: one line, non-zero exit, nothing written.
check_bad() {
    local out
    out=$("$capture" "$@" --out "$work/bad" 2>&1 >/dev/null)
    local rc=$?
    [ $rc -ne 0 ] || fail "'$*' succeeded"
    [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "'$*' printed: $out"
    echo "'$*': $out"
}
check_bad --frobnicate
check_bad --from 5000 --to 4000
check_bad --fps 0
check_bad --fps 1001
[ ! -e "$work/bad" ] || fail "a refused capture left files behind"
out=$("$capture" --from 0 --to 100 --frames --out /proc/velmora 2>&1 >/dev/null)
[ $? -ne 0 ] || fail "capture into /proc succeeded"
echo "unwritable folder: $out"

# A video, when ffmpeg is there.
if command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null; then
    "$capture" --from 45000 --to 47000 --fps 25 --scale 3 --out "$work/video" >/dev/null \
        || fail "video capture failed"
    v="$work/video/velmora.mp4"
    [ -s "$v" ] || fail "no video written"
    IFS=, read -r w h frames < <(ffprobe -v error -select_streams v:0 -count_frames \
        -show_entries stream=width,height,nb_read_frames -of csv=p=0 "$v")
    [ "$w" = 960 ] && [ "$h" = 720 ] || fail "video is ${w}x${h}, expected 960x720"
    [ "$frames" = 50 ] || fail "video has $frames frames, expected 50"
    dur=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$v")
    awk -v d="$dur" 'BEGIN { exit !(d > 1.95 && d < 2.1) }' || fail "video lasts $dur s, expected 2"
    ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 "$v" | grep -q aac \
        || fail "video has no AAC sound"
    echo "video: ${w}x${h}, $frames frames, $dur s"
fi
echo "capture program: ok"
