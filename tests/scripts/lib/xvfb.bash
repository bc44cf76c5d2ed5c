# Helpers for tests of the running program under an X server of their own.

# Starts Xvfb with one screen of the given geometry (e.g. 640x480x24) on a free display number
# and exports DISPLAY. The server is stopped when the calling script exits.
start_xvfb() {
    local geometry=$1 n
    for n in $(seq 90 250); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 "$geometry" -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        trap 'stop_xvfb' EXIT
        local i
        for i in $(seq 50); do
            if [[ -e /tmp/.X11-unix/X$n ]]; then
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
    [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# Prints the id of the first window with this exact name, waiting up to ten seconds for it.
find_window() {
    local name=$1 i id
    for i in $(seq 100); do
        id=$(xdotool search --name "^$name\$" 2>/dev/null | head -n1)
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
