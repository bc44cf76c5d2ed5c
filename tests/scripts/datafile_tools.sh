#!/bin/bash
# The datafile through the real tools: Allegro's dat lists exactly the show's 37 objects, all of
# type PNG; drawing and packing again gives the same bytes, quickly; the contact sheet shows
# every picture; the QR strip scans back to its text.
#   datafile_tools.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
datafile=$build/oldskool.dat
picgen=$build/tools/picgen/picgen
contactsheet=$build/tools/picgen/contactsheet
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ -f "$datafile" ] || { echo "FAIL: $datafile missing (build the datafile target)" >&2; exit 1; }

# --- dat -l lists exactly the catalogue, every object a PNG ----------------------------------
expected="BREAK_PNG BRUTAL_PNG BUMPMAP1_PNG BUMPMAP2_PNG CREDITS_PNG DANCERS_PNG ENDSCREEN_PNG
FRAME_PNG GOGO1_PNG GOGO2_PNG GOGO3_PNG LIVE_PNG MELON_PNG MIBOBO_PHOTO_PNG MIBOBO_TEXTURE_PNG
MRSHOLLOW_PNG NEON_PNG PHONGMAP1_PNG PHONGMAP2_PNG QR_PNG SPECS_PNG TESTED_PNG VELMORA1_PNG
VELMORA2_PNG WARNING_PNG WELCOME_PNG ZVKLOGO1_PNG ZVKLOGO2_PNG ZVKLOGO4_PNG ZVKLOGO8_PNG
ZVKNUDE1_PNG ZVKNUDE2_PNG ZVKNUDE2B_PNG ZVKNUDE3_PNG ZVKNUDE4_PNG ZVKTAG_1BIT_PNG ZVKTAG_PNG"
listing=$(dat -l "$datafile")
names=$(awk '$1 == "-" { print $4 }' <<< "$listing" | sort)
types=$(awk '$1 == "-" { print $2 }' <<< "$listing" | sort -u)
if [ "$names" != "$(tr -s ' \n' '\n' <<< "$expected" | sort)" ]; then
    fail "dat -l lists other objects than the catalogue:"
    diff <(tr -s ' \n' '\n' <<< "$expected" | sort) <(echo "$names") >&2 || true
fi
[ "$(wc -l <<< "$names")" -eq 37 ] || fail "dat -l lists $(wc -l <<< "$names") objects, not 37"
[ "$types" = "PNG" ] || fail "object types are '$types', not only PNG"

# --- drawing and packing twice gives the build's bytes, well under a minute -----------------
for run in 1 2; do
    mkdir "$work/p$run"
    start=$(date +%s%N)
    "$picgen" "$work/p$run" > "$work/p$run.log"
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    echo "picgen run $run: $ms ms"
    [ "$ms" -lt 30000 ] || fail "picgen took $ms ms"
    sh "$source_dir/tools/picgen/pack.sh" "$work/p$run" "$work/run$run.dat"
done
cmp -s "$work/run1.dat" "$work/run2.dat" || fail "two runs packed different datafiles"
cmp -s "$work/run1.dat" "$datafile" || fail "a fresh run differs from the build's oldskool.dat"
for f in "$work"/p1/*.png; do
    cmp -s "$f" "$work/p2/$(basename "$f")" || fail "$(basename "$f") differs between runs"
done
# Asking for one picture draws only that one.
mkdir "$work/one"
"$picgen" "$work/one" MELON > /dev/null
[ "$(ls "$work/one")" = "MELON.png" ] || fail "picgen DIR MELON wrote: $(ls "$work/one" | tr '\n' ' ')"
if message=$("$picgen" "$work/one" NO_SUCH_PICTURE 2>&1); then fail "picgen succeeded on an unknown name"; fi
case $message in *NO_SUCH_PICTURE*) ;; *) fail "picgen did not name the unknown picture: $message" ;; esac

# --- the contact sheet shows all 37 pictures ---------------------------------------------------
out=$("$contactsheet" "$datafile" "$work/sheet.png") || fail "contactsheet failed: $out"
[ "$out" = "37 pictures on $work/sheet.png" ] || fail "contactsheet said: $out"
if [ -f "$work/sheet.png" ]; then
    read -r w h opaque <<< "$(identify -format '%w %h %[opaque]' "$work/sheet.png")"
    [ "$w" -ge 1900 ] && [ "$h" -ge 1700 ] || fail "contact sheet is only ${w}x${h}"
    [ "${opaque,,}" = "true" ] || fail "contact sheet is not opaque"
fi

# --- the QR code is real: it scans back to a text about the show ------------------------------
if ! command -v zbarimg > /dev/null; then
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get install -y -qq zbar-tools > /dev/null 2>&1 || true
fi
if command -v zbarimg > /dev/null; then
    # Scaled up without smoothing, as a phone camera would see it on screen.
    convert "$work/p1/QR.png" -filter point -resize 400% "$work/qr_big.png"
    text=$(zbarimg --raw -q "$work/qr_big.png" 2> /dev/null || true)
    case $text in
        *VELMORA*ZORVEK*) echo "QR reads: $text" ;;
        *) fail "QR strip does not scan to the show's text (read: '$text')" ;;
    esac
else
    fail "zbarimg is not available to check the QR code"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "datafile tools: all checks passed"
