#!/usr/bin/env bash
# Every option of the program and every kind of bad one, with its exit code: bad ones print one
# line naming the option and the usage, and end with 2 before any window opens.
set -u
build=$1
source "$(dirname "$0")/lib/xvfb.bash"
use_folders
program=$build/velmora

# Without a display: what needs none.
out=$(env -u DISPLAY "$program" --help)
[[ $? == 0 ]] || fail "--help did not end with 0"
for option in --window --fullscreen "--scale N" --smooth "--chapter KEY" "--from MS" --once --mute \
    --stats "--threads N" --help --version; do
    grep -q -- "$option" <<<"$out" || fail "--help does not list $option"
done
[[ $(env -u DISPLAY "$program" --version) == "velmora 1.0.0" ]] || fail "--version"
[[ $(env -u DISPLAY "$program" -h) == "$out" ]] || fail "-h is not --help"

refused() {
    local named=$1 status first
    shift
    env -u DISPLAY "$program" "$@" >"$work/out" 2>"$work/err"
    status=$?
    first=$(head -n 1 "$work/err")
    [[ $status == 2 ]] || fail "'$*' ended with $status, expected 2"
    [[ ! -s $work/out ]] || fail "'$*' wrote to standard output"
    [[ $first == *"$named"* ]] || fail "'$*' said '$first'"
    sed -n 2p "$work/err" | grep -q '^usage: velmora' || fail "'$*' did not print the usage"
    echo "'$*': $first"
}
refused "'--frobnicate'" --frobnicate
refused "'F6'" F6
refused "--scale" --window --scale
refused "--scale: '0'" --scale 0
refused "--scale: 'two'" --scale two
refused "--chapter: 'F11'" --chapter F11
refused "--from: '-1'" --from -1
refused "--threads: '0'" --threads 0

# With a display.
start_xvfb 1024x768x24 || fail "Xvfb"
opens() {  # the window the options open, and a clean end with Esc
    local expected=$1
    shift
    start_program "$@" || fail "'$*': no window"
    [[ $(window_size "$WINDOW") == "$expected" ]] || fail "'$*': window $(window_size "$WINDOW"), expected $expected"
    press "$WINDOW" Escape
    expect_exit 0
    echo "'$*': $expected"
}
opens 1024x768
opens 1024x768 --window --fullscreen
opens 640x480 --fullscreen --window
opens 320x240 --window --scale 1
opens 960x720 --scale=3 --window --threads 1

# Smooth scaling: the picture fills the whole 4:3 screen, and an 800 x 700 window's width.
start_program --smooth --chapter F6 || fail "--smooth: no window"
sleep 1
screenshot root "$shots/options-smooth.png"
[[ $(lit_box "$shots/options-smooth.png") == "1024 768 0 0" ]] ||
    fail "--smooth fullscreen: $(lit_box "$shots/options-smooth.png")"
press "$WINDOW" F11
sleep 1
WINDOW=$(find_window Zorvek) || fail "--smooth: no window after F11"
xdotool windowmove "$WINDOW" 4 4 windowsize "$WINDOW" 800 700 2>/dev/null
press "$WINDOW" F6
sleep 1
screenshot "$WINDOW" "$shots/options-smooth-window.png"
[[ $(lit_box "$shots/options-smooth-window.png") == "800 600 0 50" ]] ||
    fail "--smooth window: $(lit_box "$shots/options-smooth-window.png")"
press "$WINDOW" Escape
expect_exit 0
echo "'--smooth': fills 1024x768, and 800x600 of an 800x700 window"

# Where the show starts, and --once: the end screen plays and the program ends by itself.
start_program --from 285000 --once --stats || fail "--once: no window"
expect_exit 0
[[ $(stopped_at) == 286999 ]] || fail "--once stopped at $(stopped_at), expected 286999"
echo "'--from 285000 --once': ended by itself at $(stopped_at)"
start_program --from 300000 || true
expect_exit 2
grep -q "^velmora: --from: 300000 is past the show's end at 286999$" "$PROGRAM_LOG" ||
    fail "--from past the end: $(head -n 1 "$PROGRAM_LOG")"
echo "'--from 300000': $(head -n 1 "$PROGRAM_LOG")"

# A fatal failure with a display up: its message on standard error, its code, no box waiting.
mkdir -p "$work/broken"
cp "$program" "$build/oldskool.dat" "$work/broken/"
head -c 5000 /dev/zero >"$work/broken/drift.mod"
SDL_AUDIODRIVER=dummy VELMORA_MESSAGE_BOX=0 timeout 60 "$work/broken/velmora" >"$work/out" 2>"$work/err"
status=$?
[[ $status == 252 ]] || fail "a module that cannot be played ended with $status, expected 252 (-4)"
grep -qx "Failed loading music stream." "$work/err" || fail "the failure said: $(cat "$work/err")"
echo "a module that cannot be played: -4, '$(tail -n 1 "$work/err")'"

# --mute: no audio device at all (SDL's disk driver, asked for, writes nothing), and the show
# keeps its time. Without --mute the disk driver writes the music.
for mute in --mute ""; do
    rm -f "$work/sound.raw"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw start_program --chapter F6 --stats $mute ||
        fail "'$mute': no window"
    sleep 2
    press "$WINDOW" Escape
    expect_exit 0
    t=$(stopped_at)
    ((t >= 109480 + 1500 && t <= 109480 + 4000)) || fail "'$mute': stopped at $t after 2 s from F6"
    bytes=$(stat -c %s "$work/sound.raw" 2>/dev/null || echo 0)
    echo "'$mute': stopped at $t, $bytes bytes to the disk driver"
    if [[ -n $mute ]]; then
        ((bytes == 0)) || fail "--mute still played to the disk driver"
    else
        ((bytes > 100000)) || fail "without --mute nothing reached the disk driver"
    fi
done
grep -q '^presented: [0-9]* passes/s (median of [0-9]* s)$' "$PROGRAM_LOG" || fail "--stats: $(cat "$PROGRAM_LOG")"
grep -q '^processor: [0-9.]* % of one core over [0-9.]* s$' "$PROGRAM_LOG" || fail "--stats: $(cat "$PROGRAM_LOG")"
echo "ok"
