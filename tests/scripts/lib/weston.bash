# A Wayland desktop of the test's own: weston, nested in a window of the X server that
# start_xvfb started, with a private runtime folder. Programs started with `on_wayland` run as
# native Wayland clients (no X display to fall back to); keys typed into weston's X window with
# xdotool reach the Wayland window that has the focus.

# Starts weston (SIZE: "WxH" of its output) and waits for its socket. Sets WESTON_PID,
# WESTON_WINDOW (its X window) and WAYLAND_RUNTIME.
start_weston() {
    local size=${1:-800x600} i
    WAYLAND_RUNTIME=$(mktemp -d)
    chmod 700 "$WAYLAND_RUNTIME"
    XDG_RUNTIME_DIR=$WAYLAND_RUNTIME weston --backend=x11-backend.so --socket=wayland-test \
        --use-pixman --width="${size%x*}" --height="${size#*x}" --idle-time=0 --no-config \
        >"$WAYLAND_RUNTIME/weston.log" 2>&1 &
    WESTON_PID=$!
    for i in $(seq 100); do
        if [[ -S $WAYLAND_RUNTIME/wayland-test ]]; then
            WESTON_WINDOW=$(xdotool search --class '^Weston Compositor$' 2>/dev/null | head -n1)
            [[ -n $WESTON_WINDOW ]] && return 0
        fi
        kill -0 "$WESTON_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "no weston: $(cat "$WAYLAND_RUNTIME/weston.log")" >&2
    return 1
}

stop_weston() {
    [[ -n ${WESTON_PID:-} ]] || return 0
    kill "$WESTON_PID" 2>/dev/null
    wait "$WESTON_PID" 2>/dev/null
    WESTON_PID=
    rm -rf "$WAYLAND_RUNTIME"
}

# Runs a command as a native client of that weston.
on_wayland() {
    env -u DISPLAY XDG_RUNTIME_DIR="$WAYLAND_RUNTIME" WAYLAND_DISPLAY=wayland-test \
        SDL_VIDEODRIVER=wayland "$@"
}
