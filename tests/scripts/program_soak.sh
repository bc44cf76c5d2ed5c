#!/usr/bin/env bash
# Memory over two whole loops of the show, each through to the end, the rewind and back to the
# start: the program's resident size is sampled all along, and from the start of the second loop
# to its end it may not grow by more than 3 MB (the first loop fills what the show keeps; after
# that nothing more should stay). Esc then ends it with 0.
#
# In the suite the loops are taken at scrub speed: Right held through the show (about 30 s at ten
# times normal speed, which starts nearly every effect and stops it again), then End and the
# visible rewind. With --real-time (scripts/soak) the show plays on its own, 287 s and the rewind
# each loop, and the samples come every 10 s: about eleven minutes.
set -u
build=$1
real_time=${3:-}
source "$(dirname "$0")/lib/xvfb.bash"
use_folders

GROWTH_KB=3072
if [[ $real_time == --real-time ]]; then
    every=10
    PROGRAM_TIMEOUT=900
else
    every=5
    PROGRAM_TIMEOUT=300
fi

# The program's resident size in kB, from /proc.
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f MB", k / 1024 }'; }
elapsed() { echo $((SECONDS - began)); }
# Green pixels of the clock overlay, which is up while the show rewinds (fullscreen on 1024 x 768).
clock_shown() {
    screenshot root "$work/clock.png"
    (($(green_pixels "$work/clock.png" 270x36+32+24) > 20))
}
# Waits for the rewind to begin (within `$1` seconds) and then to reach the start. The clock of a
# scrub just ended goes first: it is up for a moment after the keys are let go.
rewound() {
    local i
    for ((i = 0; i < 10; i++)); do clock_shown || break; sleep 0.5; done
    ((i < 10)) || fail "the clock stayed up after the scrub"
    for ((i = 0; i < $1; i++)); do clock_shown && break; sleep 1; done
    ((i < $1)) || fail "no rewind after $1 s"
    for ((i = 0; i < 60; i++)); do clock_shown || return 0; sleep 1; done
    fail "the rewind did not reach the start within 60 s"
}
# One loop from wherever the show stands to its start again.
one_loop() {
    if [[ $real_time == --real-time ]]; then
        rewound 330
    else
        xdotool keydown --window "$WINDOW" Right 2>/dev/null
        sleep 30
        xdotool keyup --window "$WINDOW" Right 2>/dev/null
        press "$WINDOW" End
        rewound 10
    fi
}

start_xvfb 1024x768x24 || fail "Xvfb"
start_program || fail "no window"
pid=$(ps -o pid= --ppid "$PROGRAM_PID" | tr -d ' ')  # the program itself, under timeout
[[ -n $pid ]] || fail "no program process"
began=$SECONDS
echo "resident size every $every s:"
(while kill -0 "$pid" 2>/dev/null; do
    kb=$(rss)
    [[ -n $kb ]] && printf '%5d s  %s\n' "$(elapsed)" "$(mb "$kb")"
    sleep "$every"
done) &
sampler=$!

one_loop
second=$(rss)
echo "start of the second loop ($(elapsed) s): $(mb "$second")"
one_loop
end=$(rss)
echo "end of the second loop ($(elapsed) s): $(mb "$end")"
kill "$sampler"
wait "$sampler" 2>/dev/null
press "$WINDOW" Escape
expect_exit 0

growth=$((end - second))
echo "growth over the second loop: $growth kB"
if ldd "$build/velmora" | grep -q libasan; then
    # Freed memory stays in the sanitizer's quarantine for a while, whatever the program does.
    echo "(built with the sanitizers: the memory bound is the plain build's)"
else
    ((growth <= GROWTH_KB)) ||
        fail "the second loop grew the program by $growth kB, at most $GROWTH_KB allowed"
fi
echo "ok: two loops, $(mb "$second") at the start of the second and $(mb "$end") at its end"
