#!/usr/bin/env bash
# The offline renderer end to end: frames and sound of a short span, determinism, a picture at a
# chapter key, bad arguments, a video through ffmpeg read back with ffprobe, and its outputs made
# safely: any name, ffmpeg failing, folders it did not make, a huge span, interruptions, and in
# each case nothing provisional left behind.
set -u
build=$1
capture="$(cd "$build" && pwd)/velmora-capture"
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
[ -z "$(find "$work/a" -name '*.partial-*')" ] || fail "a provisional file was left behind"
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
check_bad --fps=0
[ "$("$capture" --version)" = "velmora-capture 1.0.0" ] || fail "--version: $("$capture" --version 2>&1)"
[ ! -e "$work/bad" ] || fail "a refused capture left files behind"
out=$("$capture" --from 0 --to 100 --frames --out /proc/velmora 2>&1 >/dev/null)
[ $? -ne 0 ] || fail "capture into /proc succeeded"
echo "unwritable folder: $out"

# Every file under a folder, one per line.
files() { find "$1" -type f 2>/dev/null | sort; }
# Runs a capture that must fail: its status, one line that holds the given words, nothing written.
check_fails() {
    local status=$1 words=$2 folder=$3
    shift 3
    local out rc
    out=$("$capture" "$@" 2>&1 >/dev/null)
    rc=$?
    [ $rc -eq "$status" ] || fail "'$*' ended with $rc, not $status: $out"
    [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "'$*' printed: $out"
    [[ $out == *"$words"* ]] || fail "'$*' said: $out"
    [ -z "$(files "$folder")" ] || fail "'$*' left: $(files "$folder")"
    echo "'$*': $out"
}
short=(--from 15300 --to 15400)

# Places it cannot write, refused before anything is rendered.
touch "$work/afile"
mkdir -p "$work/taken/velmora.mp4"
check_fails 1 "Not a directory" "$work/afile.d" "${short[@]}" --frames --out "$work/afile"
check_fails 1 "Not a directory" /dev/full "${short[@]}" --video /dev/full/x.mp4
check_fails 1 "is not a file" "$work/taken" "${short[@]}" --out "$work/taken"
# A folder of frames that holds anything is someone's: it stays as it was.
mkdir -p "$work/keep/frames"
echo mine >"$work/keep/frames/mine.txt"
out=$("$capture" "${short[@]}" --frames --out "$work/keep" 2>&1 >/dev/null)
[ $? -eq 1 ] || fail "a capture over a folder of files succeeded"
[ "$(files "$work/keep")" = "$work/keep/frames/mine.txt" ] || fail "the folder changed: $(files "$work/keep")"
echo "existing folder: $out"

# An end far past the show's is brought back to it: one frame at 1 frame/s, half a second of sound,
# and a header that tells the data's true size. A start past the end is refused.
"$capture" --frames --fps 1 --from 286500 --to 23000000 --out "$work/huge" 2>"$work/huge.txt" >/dev/null \
    || fail "a capture past the end failed: $(cat "$work/huge.txt")"
grep -q "the show ends at 287000 ms" "$work/huge.txt" || fail "no word of the end: $(cat "$work/huge.txt")"
n=$(ls "$work/huge/frames" | wc -l)
[ "$n" -eq 1 ] || fail "$n frames past the end, expected 1"
data=$(od -An -tu4 -j40 -N4 "$work/huge/velmora.wav" | tr -d ' ')
[ "$data" -eq 96000 ] && [ "$(stat -c %s "$work/huge/velmora.wav")" -eq 96044 ] \
    || fail "the WAV claims $data bytes of data"
check_fails 2 "leaves nothing to capture" "$work/late" --from 287000 --to 400000 --out "$work/late"

# The chart of a benchmark: a PNG of its own size.
"$capture" --bench --from 15300 --to 16300 --plot "$work/bench.png" >/dev/null || fail "--bench --plot failed"
[[ $(identify -format '%m %w %h' "$work/bench.png" 2>/dev/null) == "PNG 1280 540" ]] ||
    fail "bench chart: $(identify "$work/bench.png" 2>&1)"

# A capture writing its frames, stopped by SIGTERM: it says so, ends by the signal, leaves nothing.
"$capture" --frames --from 15300 --to 45300 --out "$work/term" 2>"$work/term.txt" >/dev/null &
pid=$!
for _ in $(seq 100); do
    [ -n "$(find "$work/term" -name 'frame_000001.png' 2>/dev/null)" ] && break
    sleep 0.1
done
kill -TERM $pid
wait $pid
rc=$?
[ $rc -eq 143 ] || fail "SIGTERM ended the capture with $rc"
[ "$(cat "$work/term.txt")" = "velmora-capture: interrupted" ] || fail "on SIGTERM: $(cat "$work/term.txt")"
[ ! -e "$work/term" ] || fail "an interrupted capture left: $(files "$work/term")"

if command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null; then
    # A video.
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

    # The lossless video holds the frames exactly: the pixels reach ffmpeg in the right order and
    # are enlarged by nearest neighbour. Frame 5 of a video at twice the size, shrunk back by
    # taking every other pixel, against the PNG frame of the same moment.
    "$capture" --from 45000 --to 45400 --fps 25 --scale 2 --quality lossless --out "$work/exact" >/dev/null \
        || fail "lossless capture failed"
    "$capture" --from 45000 --to 45400 --fps 25 --frames --out "$work/exact-png" >/dev/null || fail "PNG capture failed"
    ffmpeg -hide_banner -loglevel error -i "$work/exact/velmora.mp4" -vf "select=eq(n\,5),scale=320:240:flags=neighbor" \
        -frames:v 1 "$work/exact-5.png" || fail "cannot decode the lossless video"
    differ=$(compare -metric AE "$work/exact-5.png" "$work/exact-png/frames/frame_000005.png" null: 2>&1)
    [ "$differ" = 0 ] || fail "the lossless video differs from the frame in $differ pixels"
    echo "lossless video: frame 5 as rendered"

    # Names are only names: a quote, spaces and shell characters in both, a subfolder in --video.
    dir="$work/Bob's captures \$(touch pwned-out)"
    name='sub dir/x.mp4'"'"'; touch pwned; echo '"'"'`touch pwned2`.mp4'
    (cd "$work" && "$capture" "${short[@]}" --scale 1 --out "$dir" --video "$name" >/dev/null) \
        || fail "a capture to an awkward name failed"
    [ "$(files "$dir")" = "$dir/$name" ] || fail "awkward names left: $(files "$dir")"
    ffprobe -v error -show_entries format=duration -of csv=p=0 "file:$dir/$name" >/dev/null \
        || fail "the video under an awkward name does not play"
    [ -z "$(find "$work" -maxdepth 1 -name 'pwned*')" ] || fail "a name was run as a command"

    # ffmpeg stopping early (a stand-in that reads a little and gives up): its reason in one line.
    mkdir "$work/early-ffmpeg"
    printf '%s\n' '#!/bin/sh' 'head -c 100000 >/dev/null' \
        'echo "[out#0/mp4 @ 0x5555] Error opening output: No space left on device" >&2' \
        'echo "Conversion failed!" >&2' 'exit 1' >"$work/early-ffmpeg/ffmpeg"
    chmod +x "$work/early-ffmpeg/ffmpeg"
    PATH="$work/early-ffmpeg:$PATH" check_fails 1 \
        "ffmpeg stopped early: [out#0/mp4 @ 0x5555] Error opening output: No space left on device" \
        "$work/early" "${short[@]}" --out "$work/early"

    # A full target (files limited to 32 KiB: the sound fits, the video and a frame do not), for
    # ffmpeg and for the capture's own frames.
    (ulimit -f 32; check_fails 1 "File too large" "$work/full" "${short[@]}" --out "$work/full") || exit 1
    (ulimit -f 32; check_fails 1 "cannot write" "$work/full" "${short[@]}" --frames --out "$work/full") \
        || exit 1

    # Ctrl-C during a video: ffmpeg is stopped too, and nothing is left.
    child_ffmpeg() {  # the ffmpeg that process $1 started, from /proc (no procps on a bare machine)
        local s pid comm state ppid
        for s in /proc/[0-9]*/stat; do
            read -r pid comm state ppid _ 2>/dev/null <"$s" || continue
            [ "$ppid" = "$1" ] && [ "$comm" = "(ffmpeg)" ] && echo "$pid" && return 0
        done
        return 1
    }
    set -m  # a background job that can receive SIGINT
    "$capture" --from 15300 --to 45300 --out "$work/int" 2>"$work/int.txt" >/dev/null &
    pid=$!
    set +m
    encoder=
    for _ in $(seq 100); do
        encoder=$(child_ffmpeg $pid) && break
        sleep 0.1
    done
    [ -n "$encoder" ] || fail "no ffmpeg under the capture"
    sleep 0.5
    kill -INT $pid
    wait $pid
    rc=$?
    [ $rc -eq 130 ] || fail "Ctrl-C ended the capture with $rc"
    [ "$(cat "$work/int.txt")" = "velmora-capture: interrupted" ] || fail "on Ctrl-C: $(cat "$work/int.txt")"
    ! kill -0 "$encoder" 2>/dev/null || fail "ffmpeg still runs after Ctrl-C"
    [ ! -e "$work/int" ] || fail "an interrupted video left: $(files "$work/int")"
fi
echo "capture program: ok"
