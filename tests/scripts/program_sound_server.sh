#!/usr/bin/env bash
# The program on a sound server of its own (PulseAudio, a null sink recorded through its monitor):
# the music is heard; the server killed while the show plays is said in one line, the show plays
# on, and when the server is back the music is heard again, with a line, where the show is by
# then; a server that does not answer at the start (stopped) holds the show up for about 2 s, with
# one line, and the sound comes once it answers; the show ends at once all the same.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
source "$(dirname "$0")/lib/pulse.bash"
use_folders
trap 'stop_pulse; stop_xvfb; rm -rf "$work" "${PULSE_DIR:-}"' EXIT
start_xvfb 640x480x24 || fail "no X server"
start_pulse || fail "no sound server"
export SDL_AUDIODRIVER=pulseaudio

# Waits up to $2 seconds for a line matching $1 in the program's log; prints the seconds it took.
await_line() {
    local pattern=$1 limit=$2 begin=$EPOCHREALTIME
    while ! grep -Eq "$pattern" "$PROGRAM_LOG"; do
        (( $(bc <<<"$EPOCHREALTIME - $begin > $limit") )) && return 1
        sleep 0.05
    done
    bc <<<"scale=2; ($EPOCHREALTIME - $begin) / 1"
}
lines() { grep -c . "$PROGRAM_LOG"; }

start_program --window --from 60000 || fail "no window"
sleep 1
heard || fail "nothing heard from the sound server: $(cat "$PROGRAM_LOG")"
[[ $(lines) == 0 ]] || fail "the program said something on a working server: $(cat "$PROGRAM_LOG")"

stop_pulse
took=$(await_line '^velmora: sound device lost \(pulseaudio\); the show plays on without sound until it returns$' 3) \
    || fail "no line for the lost device: $(cat "$PROGRAM_LOG")"
echo "server killed: said in ${took} s"
sleep 1
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended with the server: $(cat "$PROGRAM_LOG")"
restart_pulse || fail "the server did not start again"
took=$(await_line '^velmora: sound is back \(pulseaudio\), at 01:[0-9][0-9]\.[0-9] of the music$' 4) \
    || fail "no line for the returned device: $(cat "$PROGRAM_LOG")"
echo "server back: said in ${took} s: $(tail -n1 "$PROGRAM_LOG")"
heard 1 || fail "nothing heard after the server came back"
[[ $(lines) == 2 ]] || fail "more than a line each: $(cat "$PROGRAM_LOG")"
press "$WINDOW" Escape
expect_exit 0

# A server that takes connections but never answers.
kill -STOP "$PULSE_PID"
begin=$EPOCHREALTIME
start_program --window --from 60000 || fail "no window with a hung server"
shown=$(bc <<<"scale=2; ($EPOCHREALTIME - $begin) / 1")
echo "hung server: window after ${shown} s: $(cat "$PROGRAM_LOG")"
(( $(bc <<<"$shown < 6") )) || fail "the window took ${shown} s"
grep -qx 'velmora: no answer from the sound server within 2 s; the show plays without sound until it answers' "$PROGRAM_LOG" \
    || fail "no line for the hung server: $(cat "$PROGRAM_LOG")"
kill -CONT "$PULSE_PID"
took=$(await_line '^velmora: sound is back \(pulseaudio\)' 5) || fail "no sound once the server answered: $(cat "$PROGRAM_LOG")"
echo "server answering again: sound in ${took} s"
heard 1 || fail "nothing heard once the server answered"
# Stopped again, it must not hold up the show's end.
kill -STOP "$PULSE_PID"
begin=$EPOCHREALTIME
press "$WINDOW" Escape
expect_exit 0
echo "Esc with the server hung: ended in $(bc <<<"scale=2; ($EPOCHREALTIME - $begin) / 1") s"
echo ok
