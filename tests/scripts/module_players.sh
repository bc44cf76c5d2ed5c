#!/bin/bash
# drift.mod in two real players: openmpt123 and xmp both read it and agree on its length within
# a second, and xmp, at its plain amplification, hears it as loud as the show does without
# clipping; and the composer writes the same bytes every time.
set -eu
build=$1
mod=$build/drift.mod
composer=$build/tools/composer/composer

need() {  # installs a Debian package when its program is missing
    command -v "$1" >/dev/null && return
    local sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get install -y "$2" >/dev/null 2>&1 || { $sudo apt-get update >/dev/null && $sudo apt-get install -y "$2" >/dev/null; }
}
need openmpt123 openmpt123
need xmp xmp
need ffmpeg ffmpeg

fail=0; pass=0
check() { if eval "$2"; then pass=$((pass + 1)); else echo "FAILED: $1"; fail=$((fail + 1)); fi; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

[ -s "$mod" ] || { echo "no module at $mod: the build writes it"; exit 1; }

info=$(openmpt123 --info "$mod" 2>&1)
check "openmpt123 reads a ProTracker module" 'grep -q "^Type.*mod" <<<"$info"'
duration=$(sed -n 's/^Duration\.*: *//p' <<<"$info")   # mm:ss.mmm
openmpt_seconds=$(awk -F: '{ print $1 * 60 + $2 }' <<<"$duration")
check "openmpt123 gives a length of at least 287 s ($openmpt_seconds)" 'awk -v s="$openmpt_seconds" "BEGIN { exit !(s >= 287) }"'

# xmp's own length and level: what it renders with its own timing and mixer to a WAV file, at
# its plain amplification (its default doubles every sample, for quiet four-channel modules)
xmp --nocmd --norc -q -a 0 -d wav -o "$tmp/xmp.wav" -f 48000 "$mod" >/dev/null 2>&1 || true
check "xmp renders the module" '[ -s "$tmp/xmp.wav" ]'
bytes=$(stat -c %s "$tmp/xmp.wav" 2>/dev/null || echo 0)
xmp_seconds=$(awk -v b="$bytes" 'BEGIN { print (b - 44) / (48000 * 4) }')
check "xmp ($xmp_seconds s) and openmpt123 ($openmpt_seconds s) agree within 1 s" \
    'awk -v a="$xmp_seconds" -v b="$openmpt_seconds" "BEGIN { d = a - b; exit !(d < 1 && d > -1) }"'
summary=$(ffmpeg -hide_banner -nostats -i "$tmp/xmp.wav" -af ebur128=peak=sample -f null - 2>&1 | sed -n '/Summary/,$p')
xmp_lufs=$(awk '$1 == "I:" { print $2 }' <<<"$summary")
xmp_peak=$(awk '$1 == "Peak:" { print $2 }' <<<"$summary")
echo "xmp: integrated loudness $xmp_lufs LUFS, sample peak $xmp_peak dBFS"
check "xmp hears it at -14 LUFS within 1.5 LU ($xmp_lufs)" \
    'awk -v l="$xmp_lufs" "BEGIN { exit !(l != \"\" && l >= -15.5 && l <= -12.5) }"'
check "xmp peaks at -1 dBFS at most ($xmp_peak)" 'awk -v p="$xmp_peak" "BEGIN { exit !(p != \"\" && p <= -1) }"'
check "xmp --load-only reads it" 'xmp --load-only -v "$mod" 2>&1 | grep -q "Duration"'

"$composer" "$tmp/again.mod"
check "the composer writes the same bytes again" 'cmp -s "$mod" "$tmp/again.mod"'

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
