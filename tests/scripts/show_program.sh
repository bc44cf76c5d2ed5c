#!/usr/bin/env bash
# The real program under a virtual X server: it starts, shows pictures at several chapter keys,
# End runs it to the end and the rewind back to the start, Esc ends it with exit code 0.
set -u
build=$1
work=$(mktemp -d)
show=""
xvfb=""
trap 'kill $show $xvfb 2>/dev/null; rm -rf "$work"' EXIT

display=$((100 + RANDOM % 400))
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
export SDL_AUDIODRIVER=dummy
# A failing program must not wait for a click on a message box.
export VELMORA_MESSAGE_BOX=0
sleep 1

fail() { echo "FAIL: $*"; exit 1; }
key() { timeout 10 xdotool key --window "$win" "$1" 2>/dev/null; }
shot() { timeout 20 import -window root "$work/$1.png" 2>/dev/null; }
# Distinct colours in the picture (the 320x240 frame three times over, centred on the 1024x768
# screen).
colours() { convert "$work/$1.png" -crop 960x720+32+24 +repage -format %k info:; }
# Pure green pixels where the clock overlay is drawn.
clockPixels() {
    convert "$work/$1.png" -crop 270x36+32+24 +repage -fill black +opaque 'rgb(0,255,0)' \
        -fill white -opaque 'rgb(0,255,0)' -format '%[fx:int(mean*w*h+0.5)]' info:
}

cd "$build" || exit 1
# The program never outlives the test, whatever happens to the script.
timeout 240 ./velmora &
show=$!
win=""
for _ in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name Zorvek 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "$win" ] || fail "no window titled Zorvek"

sleep 2
# Chapters that open on a picture of their own (the feedback chapters build theirs over time).
for chapter in F2 F3 F4 F7 F10 F12; do
    key "$chapter"
    sleep 1.5
    shot "$chapter"
    n=$(colours "$chapter")
    echo "$chapter: $n colours"
    [ "$n" -gt 16 ] || fail "the picture at $chapter is blank ($n colours)"
done

# End: one millisecond before the end of the last event added (the rgbug at 282931); the end
# screen plays on to 286999, then the rewind begins and shows the clock.
key End
g=0
for _ in $(seq 1 30); do
    sleep 0.5
    shot rewinding
    g=$(clockPixels rewinding)
    [ "$g" -gt 20 ] && break
done
echo "clock pixels while rewinding: $g"
[ "$g" -gt 20 ] || fail "no clock shown during the rewind"
# Back at the start the rewind stops and the clock disappears: 287 s at 13x speed is about 22 s.
ok=""
for _ in $(seq 1 40); do
    sleep 1
    shot after
    g=$(clockPixels after)
    if [ "$g" -eq 0 ]; then ok=1; break; fi
done
[ -n "$ok" ] || fail "the rewind did not reach the start"
kill -0 $show 2>/dev/null || fail "the program ended during the rewind"

key Escape
for _ in $(seq 1 50); do kill -0 $show 2>/dev/null || break; sleep 0.2; done
wait $show
rc=$?
show=""
[ $rc -eq 0 ] || fail "exit code $rc after Esc"
echo "show program: ok"
