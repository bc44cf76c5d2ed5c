#!/usr/bin/env bash
# The live program told the display's rate with --refresh, under a virtual X server (no vsync, so
# the program paces itself): at 50, 75, 120, 144 and 240 Hz it presents at that rate, and 1.5 s
# and 5 s after F9, where the feedback builds its picture pass by pass, it shows what the 60
# frames/s capture shows then. At 144 Hz, F2 (nothing fed back) gets a new picture at every
# refresh; Down held for two seconds in F9 and in F6 leaves the picture exactly as it was.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
use_folders

F9=203480  # the F9 key's music time

# RMSE (0..1) of two pictures of the same size.
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\))/\1/p'; }

# The 320 x 240 picture inside a screenshot of the 1024 x 768 screen (shown three times as big).
picture() { convert "$1" -crop 960x720+32+24 +repage -sample 320x240 "$2"; }

# The smallest RMSE between a picture and the captured frames first..last (frame n at F9 + n/60 s).
closest() {
    local live=$1 first=$2 last=$3 n best=1 d
    for ((n = first; n <= last; n++)); do
        d=$(rmse "$live" "$(printf '%s/capture/frames/frame_%06d.png' "$work" "$n")")
        best=$(awk -v a="$best" -v b="$d" 'BEGIN { print (b < a) ? b : a }')
    done
    echo "$best"
}

# The capture starts at F9 itself, as the program does after the key: the feedback builds its
# picture from there.
"$build/velmora-capture" --frames --from $F9 --to $((F9 + 6000)) --out "$work/capture" \
    >/dev/null 2>&1 || fail "capture of F9"

start_xvfb 1024x768x24 || fail "Xvfb"

# The screenshots are timed by a script on a shared machine: the moment is found among the
# captured frames around it (0.7 s either way), and Up held keeps it on show meanwhile. `at` is
# counted from `began`, when the window came up with the show's first picture.
shot_after() {
    local at=$1 name=$2
    sleep "$(awk -v b="$began" -v at="$at" -v now="$(date +%s.%N)" 'BEGIN { d = b + at - now; print (d > 0 ? d : 0) }')"
    xdotool keydown --window "$WINDOW" Up 2>/dev/null
    sleep 0.3
    screenshot root "$work/$name-screen.png"
    xdotool keyup --window "$WINDOW" Up 2>/dev/null
    picture "$work/$name-screen.png" "$shots/$name.png"
}

for hz in 50 75 120 144 240; do
    # The random patterns (the seed's specks, fed back into the picture) seeded as the capture's.
    start_program --refresh "$hz" --chapter F9 --stats --seed 1 || fail "no window at $hz Hz"
    began=$(date +%s.%N)
    shot_after 1.5 "refresh-$hz-f9-1.5s"
    shot_after 5 "refresh-$hz-f9-5s"
    press "$WINDOW" Escape
    expect_exit 0
    rate=$(sed -n 's/^presented: \([0-9]*\) passes.*/\1/p' "$PROGRAM_LOG")
    early=$(closest "$shots/refresh-$hz-f9-1.5s.png" 48 132)
    late=$(closest "$shots/refresh-$hz-f9-5s.png" 258 342)
    echo "$hz Hz: presented $rate a second; after F9, closest captured frame at 1.5 s RMSE $early, at 5 s $late"
    awk -v r="$rate" -v hz="$hz" 'BEGIN { exit !(r >= 0.95 * hz && r <= 1.05 * hz) }' ||
        fail "presented $rate pictures a second at --refresh $hz"
    awk -v a="$early" -v b="$late" 'BEGIN { exit !(a <= 0.03 && b <= 0.03) }' ||
        fail "at $hz Hz the picture after F9 is not the captured one ($shots/refresh-$hz-f9-*.png)"
done

# F2 at 144 Hz: nothing there depends on the passes before, so every refresh gets a pass of its
# own and so a picture of its own. Counted against what was presented, so that a machine too
# busy for 144 a second does not fail it.
start_program --refresh 144 --chapter F2 --stats || fail "no window for F2"
sleep 4
press "$WINDOW" Escape
expect_exit 0
cat "$PROGRAM_LOG"
read -r passes distinct < <(sed -n 's/^show passes: \([0-9]*\) a second, \([0-9]*\) distinct.*/\1 \2/p' "$PROGRAM_LOG")
rate=$(sed -n 's/^presented: \([0-9]*\) passes.*/\1/p' "$PROGRAM_LOG")
echo "F2 at 144 Hz: presented $rate a second, $passes passes, $distinct distinct pictures"
awk -v d="$distinct" -v r="$rate" 'BEGIN { exit !(r > 0 && d >= 0.95 * r) }' ||
    fail "F2 at 144 Hz: $distinct distinct pictures a second of $rate presented"

# Down held for two seconds, in F9 (feedback) and in F6: the picture stands still.
start_program --refresh 144 --chapter F9 || fail "no window for Down"
for chapter in F9 F6; do
    press "$WINDOW" "$chapter"
    sleep 1
    xdotool keydown --window "$WINDOW" Down 2>/dev/null
    sleep 0.3
    screenshot root "$work/down-$chapter-1.png"
    sleep 1.7
    screenshot root "$work/down-$chapter-2.png"
    xdotool keyup --window "$WINDOW" Down 2>/dev/null
    [[ $(compare -metric AE "$work/down-$chapter-1.png" "$work/down-$chapter-2.png" null: 2>&1) == 0 ]] ||
        fail "the picture moved while Down was held in $chapter"
    sleep 0.5
    screenshot root "$work/down-$chapter-3.png"
    [[ $(compare -metric AE "$work/down-$chapter-2.png" "$work/down-$chapter-3.png" null: 2>&1) != 0 ]] ||
        fail "the picture stayed after Down was let go in $chapter"
done
press "$WINDOW" Escape
expect_exit 0
echo "ok: every rate presented as asked and shows the captured F9; F2 new at every refresh; Down holds"
