# A sound server of the test's own: PulseAudio with one null sink ("null"), in a private runtime
# folder, reached only by the programs this script starts. Its monitor is recorded from the start
# to $PULSE_DIR/monitor.raw (48 kHz, 16-bit stereo), with a latency of a few ms asked of the
# server: an idle null sink would otherwise render seconds at a time, as no sound card does.

# Starts the server and exports what clients need to reach it (and nothing else). Sets PULSE_PID.
start_pulse() {
    PULSE_DIR=$(mktemp -d)
    chmod 700 "$PULSE_DIR"
    printf 'autospawn = no\n' >"$PULSE_DIR/client.conf"
    export XDG_RUNTIME_DIR=$PULSE_DIR PULSE_RUNTIME_PATH=$PULSE_DIR/pulse
    export PULSE_SERVER=unix:$PULSE_DIR/native PULSE_CLIENTCONFIG=$PULSE_DIR/client.conf
    export PULSE_COOKIE=$PULSE_DIR/cookie
    restart_pulse
}

# (Re)starts the server in the folder start_pulse made, waiting until it answers. The sink comes
# before the socket: a client that connects at once finds it.
restart_pulse() {
    HOME=$PULSE_DIR pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no \
        --disable-shm=yes --log-target=stderr --log-level=error \
        -L "module-null-sink sink_name=null rate=48000" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_DIR/native" \
        >>"$PULSE_DIR/server.log" 2>&1 &
    PULSE_PID=$!
    local i
    for i in $(seq 50); do
        if pactl info >/dev/null 2>&1; then
            parec -d null.monitor --raw --format=s16le --rate=48000 --channels=2 --latency-msec=5 \
                >>"$PULSE_DIR/monitor.raw" 2>/dev/null &
            RECORDER_PID=$!
            # A null sink that started idle runs seconds ahead of its clock until it is woken:
            # suspended and resumed, it starts over at the few ms the recorder asks for.
            for i in $(seq 50); do
                pactl list short source-outputs 2>/dev/null | grep -q . && break
                sleep 0.05
            done
            pactl suspend-sink null 1 && pactl suspend-sink null 0
            return 0
        fi
        kill -0 "$PULSE_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "no sound server: $(cat "$PULSE_DIR/server.log")" >&2
    return 1
}

# Whether the sink played anything but silence in the next SECONDS (0.5 by default).
heard() {
    local from
    from=$(stat -c %s "$PULSE_DIR/monitor.raw")
    sleep "${1:-0.5}"
    tail -c +$((from / 4 * 4 + 1)) "$PULSE_DIR/monitor.raw" | python3 -c '
import array, sys
a = array.array("h"); data = sys.stdin.buffer.read(); a.frombytes(data[:len(data) // 2 * 2])
sys.exit(0 if len(a) > 4800 and max(map(abs, a)) > 1000 else 1)'
}

# Stops the server (SIGCONT first, in case a test left it stopped).
stop_pulse() {
    [[ -n ${RECORDER_PID:-} ]] && kill "$RECORDER_PID" 2>/dev/null
    RECORDER_PID=
    [[ -n ${PULSE_PID:-} ]] || return 0
    kill -CONT "$PULSE_PID" 2>/dev/null
    kill "$PULSE_PID" 2>/dev/null
    wait "$PULSE_PID" 2>/dev/null
    PULSE_PID=
}
