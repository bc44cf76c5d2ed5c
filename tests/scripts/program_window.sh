#!/usr/bin/env bash
# The program opens its window titled "Zorvek" on an X display, switches from fullscreen to a
# window and back with F11, and ends with exit code 0 when Esc is pressed.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
shots=$build/screenshots
mkdir -p "$shots"

# Everything the program draws on the screen lies within the given rectangle (x y w h): the
# frame is where the mode puts it. A screen that is all black says nothing and passes.
expect_picture_within() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5
    import -window root "$shot" 2>/dev/null || fail "no screenshot"
    [[ $(convert "$shot" -format '%[max]' info:) == 0 ]] && return 0
    local box
    box=$(convert "$shot" -bordercolor black -border 1 -trim -format '%w %h %X %Y' info:)
    read -r bw bh bx by <<<"${box//+/}"
    ((bx -= 1, by -= 1))
    ((bx >= x && by >= y && bx + bw <= x + w && by + bh <= y + h)) ||
        fail "picture at ${bw}x${bh}+$bx+$by, outside ${w}x${h}+$x+$y ($shot)"
}

for geometry in 640x480x24 1024x768x24; do
    start_xvfb "$geometry" || fail "Xvfb"
    # No message box program: a fatal message then goes to standard error instead of waiting
    # for a click.
    PATH=/nonexistent SDL_AUDIODRIVER=dummy "$build/velmora" >"$shots/program-$geometry.log" 2>&1 &
    PROGRAM_PID=$!
    wid=$(find_window Zorvek) || fail "no window named Zorvek on a $geometry screen"
    [[ $(xdotool getwindowname "$wid") == Zorvek ]] || fail "window title"
    width=${geometry%%x*}
    height=${geometry#*x}
    height=${height%%x*}
    sleep 1
    # Fullscreen: the 320 x 240 frame in the middle of the screen.
    expect_picture_within "$shots/program-$geometry.png" $(((width - 320) / 2)) $(((height - 240) / 2)) 320 240

    xdotool key --window "$wid" F11 2>/dev/null
    sleep 1
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended on F11 ($(cat "$shots/program-$geometry.log"))"
    wid=$(find_window Zorvek) || fail "no window after switching to a window"
    # Windowed: a window of the frame's size at the top left of a screen without a window manager.
    expect_picture_within "$shots/program-$geometry-windowed.png" 0 0 320 240

    xdotool key --window "$wid" F11 2>/dev/null
    sleep 1
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended on the way back to fullscreen"
    expect_picture_within "$shots/program-$geometry-back.png" $(((width - 320) / 2)) $(((height - 240) / 2)) 320 240

    xdotool key --window "$wid" Escape 2>/dev/null
    wait_for_exit "$PROGRAM_PID"
    status=$?
    PROGRAM_PID=
    [[ $status == 0 ]] || fail "exit status $status after Esc on a $geometry screen ($(cat "$shots/program-$geometry.log"))"
    stop_xvfb
    XVFB_PID=
    echo "ok: $geometry"
done
