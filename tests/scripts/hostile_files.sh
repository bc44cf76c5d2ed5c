#!/usr/bin/env bash
# Hostile files against both programs. Every variant of the datafile and the module (made by the
# hostile_files program from the show's own files: special files, cut and damaged headers,
# pictures claiming gigabytes, modules claiming hours, random damage with fixed seeds) must end
# within seconds with its documented exit status and, when it fails, exactly its documented
# message: never by a signal, never by hanging. The capture tries every case; the program, under
# a virtual X server, tries a representative few, with nothing but the message on its output even
# without SDL's silent driver; and with a module far shorter than the show it plays on past the
# music's end through chapter jumps.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
work=$(mktemp -d)
cases="$work/cases"
"$build/tests/fuzz/hostile_files" cases "$build/oldskool.dat" "$build/drift.mod" "$cases" \
    || fail "could not make the cases"

# A failing program must not wait for a click on a message box: no xmessage on its PATH, and the
# program's own switch.
mkdir -p "$work/bin"
for tool in timeout; do ln -s "$(command -v $tool)" "$work/bin/$tool"; done
export VELMORA_MESSAGE_BOX=0
# Sanitizers reserve terabytes of address space; elsewhere nothing a file says may make the capture
# hold more than 1 GB.
memory=1000000
grep -q '^VELMORA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null && memory=unlimited

# check NAME PROGRAM STATUSES MESSAGE STATUS OUTPUT: the status is one of STATUSES ("0|255"); a
# failure printed exactly one line matching MESSAGE, besides the places tried for a file not found.
checked=0
check() {
    local name=$1 program=$2 allowed=$3 message=$4 status=$5 output=$6
    ((status == 124)) && fail "$program, $name: still running after the time limit"
    ((status > 128 && status < 160)) && fail "$program, $name: killed by signal $((status - 128))"
    [[ "|$allowed|" == *"|$status|"* ]] || fail "$program, $name: exit status $status, expected $allowed: $(head -c 400 "$output")"
    if ((status != 0)); then
        # A file the search could not use is also named with the places tried, before the message.
        grep -Ev '^velmora(-capture)?: [^ ]+ not found in: ' "$output" >"$output.message"
        [[ $(wc -l <"$output.message") == 1 ]] && grep -Eqx "$message" "$output.message" \
            || fail "$program, $name: printed '$(head -c 400 "$output")', expected /$message/"
        messages["$(cat "$output.message")"]=1
    fi
    checked=$((checked + 1))
}
declare -A messages

while IFS=$'\t' read -r name allowed message; do
    (
        ulimit -v $memory
        exec timeout 20 "$build/velmora-capture" --assets "$cases/$name" --bench --from 0 --to 50
    ) >"$work/out" 2>"$work/err" </dev/null
    status=$?
    check "$name" capture "$allowed" "$message" $status "$work/err"
    if ((status == 0)); then
        grep -q '^pass times' "$work/out" || fail "capture, $name: ran without its report"
    fi
done <"$cases/cases.tsv"
echo "capture: $checked cases"

start_xvfb 1024x768x24 || fail "no X server"
trap 'stop_xvfb; rm -rf "$work"' EXIT
# run_program NAME ENV...: the program reads its files beside itself, so a copy of it goes into
# the case's folder; it runs with the environment changes ENV (as env takes them).
run_program() {
    local name=$1
    cp "$build/velmora" "$cases/$name/velmora"
    env "${@:2}" PATH="$work/bin" timeout 20 "$cases/$name/velmora" >"$work/out" 2>&1 </dev/null
}
programCases=0
for name in datafile-fifo datafile-link-loop datafile-text datafile-first-property-2147483647 \
    png-65536x65536-rgba png-20000x20000-whole module-fifo module-link-loop module-dev-zero \
    module-five-and-a-half-hours; do
    IFS=$'\t' read -r _ allowed message < <(grep "^$name	" "$cases/cases.tsv")
    run_program "$name" SDL_AUDIODRIVER=dummy
    check "$name" program "$allowed" "$message" $? "$work/out"
    programCases=$((programCases + 1))
done
# The audio stack's probes stay quiet when SDL looks for a real device.
run_program module-missing -u SDL_AUDIODRIVER
check module-missing "program without the silent driver" 252 "Failed loading music stream\\." $? "$work/out"
programCases=$((programCases + 1))
echo "program: $programCases cases"

# A module of 7.68 s: the show keeps its own time past the music's end, through jumps past it.
name=module-7680-ms
cp "$build/velmora" "$cases/$name/velmora"
(cd "$cases/$name" && SDL_AUDIODRIVER=dummy PATH="$work/bin" timeout 60 ./velmora >"$work/out" 2>&1 </dev/null) &
PROGRAM_PID=$!
win=$(find_window Zorvek) || fail "short module: no window"
shot() { timeout 20 import -window root "$work/$1.png" 2>/dev/null; }
alive() { kill -0 "$PROGRAM_PID" 2>/dev/null || fail "short module: the program ended after $1: $(cat "$work/out")"; }
sleep 9  # past the music's end at 7.68 s
alive "the music's end"
for k in F5 F12 End F6; do
    xdotool key --window "$win" "$k" 2>/dev/null
    sleep 1.5
    alive "$k"
done
shot a
sleep 0.5
shot b
cmp -s <(convert "$work/a.png" rgb:-) <(convert "$work/b.png" rgb:-) \
    && fail "short module: the picture stood still past the music's end"
xdotool key --window "$win" Escape 2>/dev/null
wait_for_exit "$PROGRAM_PID"
status=$?
PROGRAM_PID=
((status == 0)) || fail "short module: Esc ended the program with $status: $(cat "$work/out")"

echo "messages:"
for m in "${!messages[@]}"; do echo "  $m"; done | sort
echo "hostile files: ok"
