#!/usr/bin/env bash
# A storm of 10,000 random key and mouse events, real input through the X server, to the running
# program: chapter keys, F11 again and again (each switch must bring a new window, which proves
# the keys arrive), Home and End, the overlays, keys and mouse buttons held, seeks past both ends
# of the show, stray keys. It takes them all without a crash; afterwards no key or button is
# stuck (from F6 the show moves on at its own pace); Esc ends it with 0 and it has said nothing
# beyond its --stats report. Built with the sanitizers, any report of theirs fails it too.
# VELMORA_STORM_SEED replays another storm (the seed is printed), VELMORA_STORM_EVENTS sizes it.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
use_folders

F6=109480  # the F6 key's music time
seed=${VELMORA_STORM_SEED:-12}
events=${VELMORA_STORM_EVENTS:-10000}

start_xvfb 1024x768x24 || fail "Xvfb"
PROGRAM_TIMEOUT=240 start_program --stats || fail "no window"
/usr/bin/python3 "$(dirname "$0")/lib/storm.py" "$seed" "$events" ||
    fail "the storm stopped (seed $seed); the program said: $(cat "$PROGRAM_LOG")"
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended in the storm: $(cat "$PROGRAM_LOG")"

# Nothing held any more: the picture neither stands still (Down) nor stays unseen (Up), and the
# show is not carried off by a seek (arrows, mouse buttons).
WINDOW=$(find_window Zorvek) || fail "no window after the storm"
press "$WINDOW" F6
sleep 1.5
screenshot "$WINDOW" "$shots/storm-after.png"
sleep 0.3
screenshot "$WINDOW" "$work/later.png"
[[ $(compare -metric AE "$shots/storm-after.png" "$work/later.png" null: 2>&1) != 0 ]] ||
    fail "the picture stands still after the storm"
press "$WINDOW" Escape
expect_exit 0
t=$(stopped_at)
echo "after the storm, F6 and 1.5 s: stopped at $t"
[[ -n $t ]] && ((t >= F6 + 1000 && t <= F6 + 8000)) ||
    fail "stopped at '$t', expected about 2 s after F6"
said=$(grep -v '^presented: \|^show passes: \|^passes dropped: \|^processor: \|^stopped at: ' "$PROGRAM_LOG")
[[ -z $said ]] || fail "the program said: $said"
echo "ok: $events events (seed $seed), exit code 0, nothing on standard error"
