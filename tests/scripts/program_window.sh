#!/usr/bin/env bash
# The program's window under an X server: fullscreen the picture fills the screen at the largest
# whole multiple, centred; the default window is the largest whole multiple that fits most of the
# desktop; a resized window shows the picture at the largest multiple it holds; F11 switches to
# fullscreen and back to the same window; the close button and Esc end the program with 0.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
use_folders

# The picture, seen at the start of chapter F6, whose frame is lit to its very edges there.
expect_picture() {
    local wid=$1 target=$2 shot=$3 expected=$4 box
    press "$wid" F6
    sleep 0.7
    screenshot "$target" "$shot"
    box=$(lit_box "$shot")
    [[ $box == "$expected" ]] || fail "picture at '$box', expected '$expected' ($shot)"
}


# Fullscreen, the default: on a 640 x 480 screen the picture is doubled and fills it.
start_xvfb 640x480x24 || fail "Xvfb"
start_program || fail "no window named Zorvek on a 640x480 screen"
wid=$WINDOW
[[ $(xdotool getwindowname "$wid") == Zorvek ]] || fail "window title"
expect_picture "$wid" root "$shots/program-640x480.png" "640 480 0 0"
press "$wid" Escape
expect_exit 0
stop_xvfb
echo "ok: fullscreen on 640x480"

start_xvfb 1024x768x24 || fail "Xvfb"
start_program || fail "no window on a 1024x768 screen"
wid=$WINDOW
expect_picture "$wid" root "$shots/program-1024x768.png" "960 720 32 24"
[[ $(window_size "$wid") == 1024x768 ]] || fail "fullscreen window is $(window_size "$wid")"

# F11, and the window that comes up must have this size.
switch_to() {
    press "$wid" F11
    sleep 1
    wid=$(find_window Zorvek) || fail "no window after F11 (to $1)"
    [[ $(window_size "$wid") == "$1" ]] || fail "after F11 the window is $(window_size "$wid"), expected $1"
}

switch_to 640x480  # the default window: the largest whole multiple within most of the screen
expect_picture "$wid" "$wid" "$shots/program-window.png" "640 480 0 0"

# Near the top left, so that the picture in the 1000 x 800 window is all on the 768-line screen.
# Not (0, 0): without a window manager SDL is told of no move to where it believes nothing moved.
xdotool windowmove "$wid" 4 4 windowsize "$wid" 1000 800 2>/dev/null
sleep 0.5
expect_picture "$wid" "$wid" "$shots/program-window-1000x800.png" "960 720 20 40"

switch_to 1024x768
switch_to 1000x800
expect_picture "$wid" "$wid" "$shots/program-window-back.png" "960 720 20 40"

close_window "$wid"
expect_exit 0
echo "ok: fullscreen, window, resize and F11 on 1024x768; the close button quits"
