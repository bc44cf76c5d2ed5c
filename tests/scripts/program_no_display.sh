#!/usr/bin/env bash
# Without a display nothing can be shown: the program says so on standard output, followed by an
# empty line, and exits with -3, before any window.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"

out=$(mktemp)
trap 'rm -f "$out"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER VELMORA_MESSAGE_BOX=0 SDL_AUDIODRIVER=dummy \
    "$build/velmora" >"$out" 2>/dev/null </dev/null
status=$?
[[ $status == 253 ]] || fail "exit status $status, expected 253"
printf 'Error initializing allegro.\n\n' | cmp -s - "$out" || fail "output was: $(od -c "$out")"
echo ok
