#!/usr/bin/env bash
# The program opens its window titled "Zorvek" on an X display, survives a switch between
# fullscreen and window, and ends with exit code 0 when Esc is pressed.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
shots=$build/screenshots
mkdir -p "$shots"

for geometry in 640x480x24 1024x768x24; do
    start_xvfb "$geometry" || fail "Xvfb"
    # No message box program: a fatal message then goes to standard error instead of waiting
    # for a click.
    PATH=/nonexistent SDL_AUDIODRIVER=dummy "$build/velmora" >"$shots/program-$geometry.log" 2>&1 &
    PROGRAM_PID=$!
    wid=$(find_window Zorvek) || fail "no window named Zorvek on a $geometry screen"
    [[ $(xdotool getwindowname "$wid") == Zorvek ]] || fail "window title"
    sleep 1
    import -window root "$shots/program-$geometry.png" 2>/dev/null

    xdotool key --window "$wid" F11 2>/dev/null
    sleep 1
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended on F11 ($(cat "$shots/program-$geometry.log"))"
    wid=$(find_window Zorvek) || fail "no window after switching to a window"
    import -window root "$shots/program-$geometry-windowed.png" 2>/dev/null

    xdotool key --window "$wid" Escape 2>/dev/null
    wait_for_exit "$PROGRAM_PID"
    status=$?
    PROGRAM_PID=
    [[ $status == 0 ]] || fail "exit status $status after Esc on a $geometry screen ($(cat "$shots/program-$geometry.log"))"
    stop_xvfb
    XVFB_PID=
    echo "ok: $geometry"
done
