# Captures of the show here and by another platform's build of the capture, compared file for
# file, for tests/scripts/arm64_capture.sh and windows_capture.sh. The caller sets:
#   build       this machine's build
#   platform    the other platform's name, for the messages
#   foreign     the command that runs the other platform's capture (its emulator and program)
#   foreign_assets  where that capture finds the datafile and the module
# and gets work (a scratch folder, removed at exit) and counted (the frames compared).

fail() {
    echo "FAIL: $*"
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
counted=0 captures=0

# Captures what NAME says with OPTIONS here and on the other platform (frames and a WAV, on two
# threads), and compares every file they write.
compare() {
    local name=$1 out
    shift
    local options=(--frames --threads 2 "$@")
    out=$work/$((++captures))
    "$build/velmora-capture" "${options[@]}" --assets "$build" --out "$out/here" >"$out.here.log" 2>&1 ||
        fail "the capture here failed: $(tail -n 5 "$out.here.log")"
    "${foreign[@]}" "${options[@]}" --assets "$foreign_assets" --out "$out/$platform" >"$out.$platform.log" 2>&1 ||
        fail "the $platform capture failed: $(tail -n 5 "$out.$platform.log")"
    [[ $(cd "$out/here" && find . -type f | sort) == $(cd "$out/$platform" && find . -type f | sort) ]] ||
        fail "$name: the two captures wrote different files"
    local frames different=0 file
    frames=$(find "$out/here" -name '*.png' | wc -l)
    while read -r file; do
        cmp -s "$out/here/$file" "$out/$platform/$file" || different=$((different + 1))
    done < <(cd "$out/here" && find . -type f)
    echo "$name: $frames frames and the WAV, $different file(s) differ"
    ((different == 0)) || fail "$name: the $platform capture differs"
    counted=$((counted + frames))
}
