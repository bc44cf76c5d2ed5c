#!/usr/bin/env bash
# The installed show, away from the build tree: `cmake --install` into a staging folder, the tree
# then moved elsewhere. The capture renders from the installed files the same frame as the build
# tree's capture, and names the places it tried when the files are gone. Installed under a
# prefix of its own (one with a space in it, as a home folder may have), the desktop entry is
# valid, its icon a picture, and its command, with nothing on the PATH, starts the installed show
# under Xvfb, which Esc ends with 0.
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

# The desktop entry names the program by its path under the prefix it was installed to, quoted
# as an Exec line is quoted (spaces and all), since a desktop session's PATH holds no
# ~/.local/games.
home="$work/home of a viewer/.local"
cmake --install "$build" --prefix "$home" >"$work/install-home.log" 2>&1 ||
    fail "install into $home: $(tail -3 "$work/install-home.log")"
entry=$home/share/applications/velmora.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refused the desktop entry"
icon=$home/share/icons/hicolor/256x256/apps/velmora.png
[[ $(identify -format '%m %w %h' "$icon" 2>/dev/null) == "PNG 256 256" ]] ||
    fail "icon: $(identify "$icon" 2>&1)"
[[ $(sed -n 's/^Icon=//p' "$entry") == velmora ]] || fail "the entry names another icon"
[[ $(sed -n 's/^TryExec=//p' "$entry") == "$home/games/velmora" ]] || fail "TryExec: $(grep TryExec "$entry")"
# The Exec key's arguments: the string's escapes undone, then the quoting, then the field codes.
readarray -t command < <(python3 - "$entry" <<'PY'
import re, shlex, sys
for line in open(sys.argv[1], encoding='utf-8'):
    if line.startswith('Exec='):
        value = re.sub(r'\\(.)', lambda m: {'s': ' ', 'n': '\n', 't': '\t', 'r': '\r', '\\': '\\'}
                       .get(m.group(1), '\\' + m.group(1)), line[5:].rstrip('\n'))
        print('\n'.join(arg.replace('%%', '%') for arg in shlex.split(value)))
PY
)
[[ ${command[0]:-} == "$home/games/velmora" && ${command[*]:1} == --fullscreen ]] ||
    fail "Exec: $(grep '^Exec' "$entry") reads as: ${command[*]}"

# The entry's command with no PATH to find anything on (and so no message box program, so that a
# failure cannot wait for a click).
start_xvfb 640x480x24 || fail "Xvfb"
trap cleanup EXIT
env PATH=/nonexistent "${command[@]}" >"$work/show.log" 2>&1 &
PROGRAM_PID=$!
wid=$(find_window Zorvek) || fail "no window from '${command[*]}' ($(cat "$work/show.log"))"
[[ $(readlink "/proc/$PROGRAM_PID/exe") == "$home/games/velmora" ]] || fail "not the installed program"
sleep 1
xdotool key --window "$wid" Escape 2>/dev/null
wait_for_exit "$PROGRAM_PID"
status=$?
PROGRAM_PID=
[[ $status == 0 ]] || fail "exit status $status after Esc ($(cat "$work/show.log"))"
echo "installed show: '${command[*]}' opened its window and ended with 0 on Esc"
