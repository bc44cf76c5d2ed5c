#!/usr/bin/env bash
# The Windows program under Wine on an X server: fullscreen by default (as a double-click starts
# it), the picture at the largest whole multiple, centred; chapter F6 on its key; in a window with
# --window; it presents 60 pictures a second on a 60 Hz display and ends with 0 on Esc. The
# screenshots are kept in the build's screenshots/ folder. The Windows build is
# $VELMORA_WINDOWS_BUILD or SOURCE_DIR/build-windows (scripts/windows-build makes it).
set -u
build=$1 source=$2
win=${VELMORA_WINDOWS_BUILD:-$source/build-windows}
source "$(dirname "$0")/lib/xvfb.bash"
use_folders
[[ -f $win/bin/velmora.exe ]] || fail "no Windows build in $win (scripts/windows-build makes one)"
PROGRAM=("$source/scripts/wine-run" "$win/bin/velmora.exe")

start_xvfb 1024x768x24 || fail "Xvfb"
start_program --stats || fail "no window, fullscreen"
wid=$WINDOW
sleep 2
press "$wid" F6
sleep 1
screenshot root "$shots/windows-fullscreen-f6.png"
box=$(lit_box "$shots/windows-fullscreen-f6.png")
[[ $box == "960 720 32 24" ]] || fail "fullscreen: the picture at '$box', expected '960 720 32 24'"
sleep 4
press "$wid" Escape
expect_exit 0
presented=$(sed -n 's/^presented: \([0-9]*\) passes\/s.*/\1/p' "$PROGRAM_LOG")
[[ -n $presented ]] && ((presented >= 58 && presented <= 62)) ||
    fail "presented ${presented:-no} pictures a second, expected 60 ($(cat "$PROGRAM_LOG"))"
echo "ok: fullscreen, F6, $presented pictures a second, 0 on Esc"

start_program --window --scale 2 || fail "no window, in a window"
wid=$WINDOW
sleep 2
press "$wid" F6
sleep 1
screenshot "$wid" "$shots/windows-window-f6.png"
box=$(lit_box "$shots/windows-window-f6.png")
[[ $box == "640 480 0 0" ]] || fail "window: the picture at '$box', expected '640 480 0 0'"
press "$wid" Escape
expect_exit 0
echo "ok: in a window of 640x480, F6, 0 on Esc"
echo "PASS: the Windows program under Wine"
