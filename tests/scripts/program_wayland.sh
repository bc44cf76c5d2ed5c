#!/usr/bin/env bash
# The program as a native Wayland client (weston nested on a virtual X server, no X display for
# the program): it shows the picture in a window with a title bar (weston leaves that to the
# program, which draws it through libdecor and its plugin), F11 four times switches to fullscreen
# and back twice without a crash, and Esc ends it with 0. Where no plugin is to be found the
# window opens all the same and libdecor's complaints are not heard, unless asked for.
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
# The program itself, beneath the shell and timeout that started it.
descendants() { local p; for p in $(pgrep -P "$1"); do echo "$p"; descendants "$p"; done; }
shown=$(for p in $(descendants "$PROGRAM_PID"); do [[ $(cat "/proc/$p/comm" 2>/dev/null) == velmora ]] && echo "$p"; done)
grep -q 'libdecor-cairo' "/proc/${shown:-0}/maps" 2>/dev/null ||
    fail "the window has no title bar: libdecor's plugin is not loaded (is libdecor-0-plugin-1-cairo installed?)"
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

# Without a plugin (hidden from libdecor): a window all the same, and not a word on standard
# error but where the libraries' reports are asked for.
mkdir "$work/no-plugins"
without_plugin() {
    local shot=$1
    shift
    on_wayland LIBDECOR_PLUGIN_DIR="$work/no-plugins" SDL_AUDIODRIVER=dummy VELMORA_MESSAGE_BOX=0 "$@" \
        timeout 60 "$build/velmora" --window >"$log" 2>&1 &
    PROGRAM_PID=$!
    sleep 3
    kill -0 "$PROGRAM_PID" 2>/dev/null || fail "without a plugin, ended at once: $(cat "$log")"
    screenshot root "$shot"
    # On a busy machine the new window may not have the desktop's focus yet: Esc until it goes.
    for _ in $(seq 20); do
        key Escape
        sleep 1
        kill -0 "$PROGRAM_PID" 2>/dev/null || break
    done
    wait_for_exit "$PROGRAM_PID"
    status=$?
    PROGRAM_PID=
    ((status == 0)) || fail "without a plugin, Esc ended the program with $status: $(cat "$log")"
}
without_plugin "$shots/wayland-window-without-plugin.png"
[[ ! -s $log ]] || fail "without a plugin, the program said: $(cat "$log")"
without_plugin "$work/asked.png" VELMORA_AUDIO_DEBUG=1
grep -q 'No plugins found' "$log" || fail "asked for, libdecor's reports were not let through: $(cat "$log")"
echo ok
