#!/usr/bin/env bash
# Keys and mouse buttons through real X events to the program's window do what the README says.
# Where the show went is read from the report --stats prints at exit ("stopped at"); overlays and
# a held picture from screenshots.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
use_folders

F6=109480  # the F6 key's music time
END=282930 # the End key's: one millisecond before the end of the last event

key() { press "$WINDOW" "$@"; }
keydown() { xdotool keydown --window "$WINDOW" "$1" 2>/dev/null; }
keyup() {
    xdotool keyup --window "$WINDOW" "$1" 2>/dev/null
    xdotool keyup "$1" 2>/dev/null  # see press()
}
# Overlay text on the fullscreen 1024 x 768 picture (the frame three times over, from 32, 24):
# top left (clock or credit), top right (frame rate), bottom left (events).
clock_area() { green_pixels "$1" 800x30+32+24; }
rate_area() { green_pixels "$1" 200x30+752+24; }
events_area() { green_pixels "$1" 500x300+32+444; }

# Runs the program from F6, lets `$@` act on it, ends it with Esc and checks that the show
# stopped between `low` and `high` ms.
stops_between() {
    local what=$1 low=$2 high=$3 t
    shift 3
    start_program --chapter F6 --stats || fail "no window ($what)"
    sleep 0.5
    "$@"
    key Escape
    expect_exit 0
    t=$(stopped_at)
    echo "$what: stopped at $t, expected $low..$high"
    [[ -n $t ]] && ((t >= low && t <= high)) || fail "$what: stopped at '$t'"
}

start_xvfb 1024x768x24 || fail "Xvfb"

# Overlays, the credit line and a held picture.
start_program --chapter F6 || fail "no window"
sleep 1
screenshot root "$work/plain.png"
[[ $(clock_area "$work/plain.png") == 0 && $(rate_area "$work/plain.png") == 0 ]] ||
    fail "overlay text without a key"
key t f e
sleep 0.5
screenshot root "$shots/keys-overlays.png"
for area in clock_area rate_area events_area; do
    n=$($area "$shots/keys-overlays.png")
    echo "$area after T, F, E: $n green pixels"
    ((n > 50)) || fail "no overlay text in the $area after T, F, E"
done
key t f e
keydown c
sleep 0.5
screenshot root "$shots/keys-credit.png"
keyup c
n=$(clock_area "$shots/keys-credit.png")
echo "credit line while C is held: $n green pixels"
((n > 200)) || fail "no credit line while C is held"
keydown Up
sleep 0.3
screenshot root "$work/held1.png"
sleep 0.7
screenshot root "$work/held2.png"
keyup Up
sleep 0.5
screenshot root "$work/moving.png"
[[ $(compare -metric AE "$work/held1.png" "$work/held2.png" null: 2>&1) == 0 ]] ||
    fail "the picture changed while Up was held"
[[ $(compare -metric AE "$work/held2.png" "$work/moving.png" null: 2>&1) != 0 ]] ||
    fail "the picture stayed after Up was let go"
key Escape
expect_exit 0
echo "ok: T, F, E, C and Up"

hold() {  # hold a key for some seconds
    keydown "$1"
    sleep "$2"
    keyup "$1"
}
press_button() {  # hold a mouse button over the picture for some seconds
    xdotool mousemove 512 384 mousedown "$1" sleep "$2" mouseup "$1" 2>/dev/null
}
# Left held 1.5 s: one step back at the press and one every 100 ms after 500 ms, about 12 s back
# in all (without repeats the show would be 1 s ahead instead).
stops_between "Left held" $((F6 - 16000)) $((F6 - 6000)) hold Left 1.5
# Right held 1.5 s: about 10 s ahead.
stops_between "Right held" $((F6 + 8000)) $((F6 + 16000)) hold Right 1.5
# Down held 2 s: the show stands still meanwhile.
stops_between "Down held" $F6 $((F6 + 1500)) hold Down 2
# The left mouse button held 1 s: about 10 s back; the right one about 10 s ahead.
stops_between "left button held" $((F6 - 14000)) $((F6 - 6000)) press_button 1 1
stops_between "right button held" $((F6 + 7000)) $((F6 + 14000)) press_button 3 1
stops_between "Home" 0 1500 key Home
stops_between "End" $END $((END + 1500)) key End
stops_between "F12" 250724 $((250724 + 1500)) key F12
