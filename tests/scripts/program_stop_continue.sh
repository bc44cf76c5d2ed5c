#!/usr/bin/env bash
# Stopped and continued (SIGSTOP for 3 s), the show carries on where it stood: the music time at
# the end counts only the time it ran, and so does the presented rate.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
use_folders
start_xvfb 640x480x24 || fail "no X server"
start_program --window --from 10000 --stats || fail "no window"
show=$(pgrep -P "$PROGRAM_PID" velmora) || fail "no program under its time limit"
sleep 1.5
kill -STOP "$show"
sleep 3
kill -CONT "$show"
sleep 1.5
press "$WINDOW" Escape
expect_exit 0
at=$(stopped_at)
rate=$(sed -n 's/^presented: \([0-9]*\) passes.*/\1/p' "$PROGRAM_LOG")
echo "stopped at $at ms after 3 s run and 3 s stopped; presented $rate passes/s"
# About 3 s of playing from 10 s, with the window's own start-up; 3 s more if the stop counted.
((at > 12000 && at < 14500)) || fail "stopped at $at, expected about 13000: $(cat "$PROGRAM_LOG")"
((rate >= 50)) || fail "presented $rate passes/s: $(cat "$PROGRAM_LOG")"
echo ok
