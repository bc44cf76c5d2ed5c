#!/usr/bin/env bash
# The installed show, away from the build tree: `cmake --install` into a staging folder, the tree
# then moved elsewhere. The capture renders from the installed files the same frame as the build
# tree's capture, and names the places it tried when the files are gone; the desktop entry is
# valid, its icon a picture, and its command starts the installed show under Xvfb, which Esc
# ends with 0.
set -u
build=$(cd "$1" && pwd)
source "$(dirname "$0")/lib/xvfb.bash"
work=$(mktemp -d)
cleanup() { stop_xvfb; rm -rf "$work"; }
trap cleanup EXIT
cd "$work" || exit 1
unset VELMORA_DATA
export SDL_AUDIODRIVER=dummy

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    fail "install: $(tail -3 "$work/install.log")"
# Moved: nothing may depend on where it was installed, or on the build tree.
mv "$work/stage/usr" "$work/moved"
prefix=$work/moved

# One frame at 15.3 s, as the build tree renders it.
"$build/velmora-capture" --frames --from 15300 --to 15301 --out "$work/ref" >/dev/null ||
    fail "the build tree's capture failed"
"$prefix/games/velmora-capture" --frames --from 15300 --to 15301 --out "$work/installed" \
    >/dev/null 2>"$work/capture.log" || fail "installed capture: $(cat "$work/capture.log")"
frame=$work/installed/frames/frame_000000.png
[[ -f $frame ]] || fail "the installed capture wrote no frame"
cmp -s "$frame" "$work/ref/frames/frame_000000.png" ||
    fail "the installed capture's frame differs from the build tree's"
colours=$(convert "$frame" -format %k info:)
((colours > 16)) || fail "the frame is blank ($colours colours)"
echo "installed capture: frame at 15300 ms, $colours colours, as the build tree's"

# Files gone from share/velmora: every place tried is named; $VELMORA_DATA then finds them.
mv "$prefix/share/velmora" "$work/elsewhere"
"$prefix/games/velmora-capture" --frames --from 15300 --to 15301 --out "$work/none" \
    >/dev/null 2>"$work/missing.log" && fail "the capture succeeded without its files"
expected="velmora-capture: oldskool.dat not found in: $prefix/games, $prefix/share/velmora, \$VELMORA_DATA (unset)"
grep -qxF "$expected" "$work/missing.log" || fail "missing files reported as: $(cat "$work/missing.log")"
VELMORA_DATA=$work/elsewhere "$prefix/games/velmora-capture" --frames --from 15300 --to 15301 \
    --out "$work/variable" >/dev/null 2>&1 || fail "the capture did not find its files through \$VELMORA_DATA"
cmp -s "$work/variable/frames/frame_000000.png" "$frame" || fail "the frame through \$VELMORA_DATA differs"
mv "$work/elsewhere" "$prefix/share/velmora"
echo "missing files: $(head -n1 "$work/missing.log")"

entry=$prefix/share/applications/velmora.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refused the desktop entry"
icon=$prefix/share/icons/hicolor/256x256/apps/velmora.png
[[ $(identify -format '%m %w %h' "$icon" 2>/dev/null) == "PNG 256 256" ]] ||
    fail "icon: $(identify "$icon" 2>&1)"
[[ $(sed -n 's/^Icon=//p' "$entry") == velmora ]] || fail "the entry names another icon"

# The entry's command, found on a PATH that has only the installed games folder (and no message
# box program, so that a failure cannot wait for a click).
read -r -a command <<<"$(sed -n 's/^Exec=//p' "$entry")"
start_xvfb 640x480x24 || fail "Xvfb"
trap cleanup EXIT
env PATH="$prefix/games" "${command[@]}" >"$work/show.log" 2>&1 &
PROGRAM_PID=$!
wid=$(find_window Zorvek) || fail "no window from '${command[*]}' ($(cat "$work/show.log"))"
[[ $(readlink "/proc/$PROGRAM_PID/exe") == "$prefix/games/velmora" ]] || fail "not the installed program"
sleep 1
xdotool key --window "$wid" Escape 2>/dev/null
wait_for_exit "$PROGRAM_PID"
status=$?
PROGRAM_PID=
[[ $status == 0 ]] || fail "exit status $status after Esc ($(cat "$work/show.log"))"
echo "installed show: '${command[*]}' opened its window and ended with 0 on Esc"
