#!/usr/bin/env bash
# The program as a native Wayland client (weston nested on a virtual X server, no X display for
# the program): it shows the picture, F11 four times switches to fullscreen and back twice
# without a crash, and Esc ends it with 0.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
source "$(dirname "$0")/lib/weston.bash"
use_folders
trap 'stop_weston; stop_xvfb; rm -rf "$work"' EXIT
start_xvfb 1024x768x24 || fail "no X server"
start_weston 800x600 || fail "no Wayland desktop"

log=$work/log
on_wayland SDL_AUDIODRIVER=dummy VELMORA_MESSAGE_BOX=0 timeout 60 "$build/velmora" --window --from 60000 \
    >"$log" 2>&1 &
PROGRAM_PID=$!
sleep 4
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "ended at once: $(cat "$log")"
screenshot root "$shots/wayland-window.png"
# The window has the desktop's focus: keys typed into weston's window reach it.
key() { xdotool key --window "$WESTON_WINDOW" "$1" 2>/dev/null; }
for i in 1 2 3 4; do
    key F11
    sleep 1.2
    kill -0 "$PROGRAM_PID" 2>/dev/null || { wait "$PROGRAM_PID"; fail "F11 number $i ended the program with $?: $(cat "$log")"; }
    ((i == 1)) && screenshot root "$shots/wayland-fullscreen.png"
    ((i == 2)) && screenshot root "$shots/wayland-window-again.png"
done
key Escape
wait_for_exit "$PROGRAM_PID"
status=$?
PROGRAM_PID=
((status == 0)) || fail "Esc ended the program with $status: $(cat "$log")"
[[ ! -s $log ]] || fail "the program said: $(cat "$log")"
echo ok
