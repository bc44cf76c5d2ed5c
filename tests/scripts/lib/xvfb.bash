# Helpers for tests of the running program under an X server of their own.

# Screenshots worth keeping go to the build's screenshots/ folder; `work` is a scratch folder,
# removed at exit together with the X server and the program.
use_folders() {
    shots=$build/screenshots
    mkdir -p "$shots"
    work=$(mktemp -d)
    trap 'stop_xvfb; rm -rf "$work"' EXIT
}

# Starts Xvfb with one screen of the given geometry (e.g. 640x480x24) on a free display number
# and exports DISPLAY. The server is stopped when the calling script exits.
start_xvfb() {
    local geometry=$1 n
    for n in $(seq 90 250); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        # No reset when the last client leaves: a program started during one could not connect.
        Xvfb ":$n" -screen 0 "$geometry" -nolisten tcp -noreset >/dev/null 2>&1 &
        XVFB_PID=$!
        [[ -n $(trap -p EXIT) ]] || trap 'stop_xvfb' EXIT
        local i
        for i in $(seq 50); do
            # Ours (the lock names its process: two tests may race for a number) and answering,
            # not merely there (a socket may be left from a server on its way out).
            if [[ $(tr -d ' ' 2>/dev/null </tmp/.X$n-lock) == "$XVFB_PID" ]] &&
                DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break  # lost the race for this number
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    done
    echo "no Xvfb could be started" >&2
    return 1
}

stop_xvfb() {
    [[ -n ${PROGRAM_PID:-} ]] && kill "$PROGRAM_PID" 2>/dev/null
    [[ -n ${PROGRAM_LOG:-} ]] && rm -f "$PROGRAM_LOG"
    [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# Prints the id of the first window with this exact name, waiting up to ten seconds for it.
find_window() {
    local name=$1 i id
    for i in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n1)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Waits up to ten seconds for a process; its exit status becomes ours (124 when it did not end).
wait_for_exit() {
    local pid=$1 i
    for i in $(seq 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            return $?
        fi
        sleep 0.1
    done
    return 124
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts the program in the background with the given options, sound to SDL's silent driver and
# no message box: a failure goes to its log instead of waiting for a click. Sets PROGRAM_PID and
# PROGRAM_LOG, waits for its window and sets WINDOW to its id. The program is stopped after
# PROGRAM_TIMEOUT seconds (120 unless set). The program is $build/velmora, or the command in the
# array PROGRAM (the Windows program under Wine).
start_program() {
    [[ -n ${PROGRAM_LOG:-} ]] && rm -f "$PROGRAM_LOG"
    PROGRAM_LOG=$(mktemp)
    local program=("$build/velmora")
    [[ -n ${PROGRAM:-} ]] && program=("${PROGRAM[@]}")
    SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} VELMORA_MESSAGE_BOX=0 \
        timeout "${PROGRAM_TIMEOUT:-120}" "${program[@]}" "$@" >"$PROGRAM_LOG" 2>&1 &
    PROGRAM_PID=$!
    WINDOW=$(find_window Zorvek) || {
        echo "no window; the program said: $(cat "$PROGRAM_LOG")" >&2
        return 1
    }
}

# Waits for the program to end; fails unless it ended with `expected` (0 by default).
expect_exit() {
    local expected=${1:-0} status
    wait_for_exit "$PROGRAM_PID"
    status=$?
    PROGRAM_PID=
    [[ $status == "$expected" ]] || fail "exit status $status, expected $expected ($(cat "$PROGRAM_LOG"))"
}

# The music time the program stopped at, from the report that --stats prints at exit.
stopped_at() { sed -n 's/^stopped at: .*(--from \([0-9]*\))$/\1/p' "$PROGRAM_LOG"; }

# Presses and lets go of keys in the window. The key is let go again without naming the window:
# a key that ends the program or replaces its window (Esc, F11) may leave xdotool with no window
# to let go in, and the X server would then hold the key down and repeat it into the next one.
press() {
    local wid=$1
    shift
    xdotool key --window "$wid" "$@" 2>/dev/null
    xdotool keyup "$@" 2>/dev/null
}

# Asks the window to close, as its close button does (WM_DELETE_WINDOW).
close_window() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
from Xlib import X, display
from Xlib.protocol import event
d = display.Display()
w = d.create_resource_object('window', int(sys.argv[1]))
protocols, delete = d.intern_atom('WM_PROTOCOLS'), d.intern_atom('WM_DELETE_WINDOW')
w.send_event(event.ClientMessage(window=w, client_type=protocols,
                                 data=(32, [delete, X.CurrentTime, 0, 0, 0])))
d.flush()
PY
}

# "WxH" of a window.
window_size() { xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: //p'; }

# Screenshot of a window ("root" for the whole screen) to a PNG file.
screenshot() { timeout 20 import -window "$1" "$2" 2>/dev/null || fail "no screenshot of $1"; }

# "w h x y" of the part of a screenshot that is not black: the picture, when its edges are lit.
lit_box() {
    local box
    box=$(convert "$1" -bordercolor black -border 1 -trim -format '%w %h %X %Y' info:)
    read -r w h x y <<<"${box//+/}"
    echo "$w $h $((x - 1)) $((y - 1))"
}

# Pure green (overlay text) pixels within a rectangle WxH+X+Y of a screenshot.
green_pixels() {
    convert "$1" -crop "$2" +repage -fill black +opaque 'rgb(0,255,0)' -fill white \
        -opaque 'rgb(0,255,0)' -format '%[fx:int(mean*w*h+0.5)]' info:
}
