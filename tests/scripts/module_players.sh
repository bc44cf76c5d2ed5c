#!/bin/bash
# drift.mod in two real players: openmpt123 and xmp both read it and agree on its length within
# a second; and the composer writes the same bytes every time.
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

fail=0; pass=0
check() { if eval "$2"; then pass=$((pass + 1)); else echo "FAILED: $1"; fail=$((fail + 1)); fi; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

[ -s "$mod" ] || { echo "no module at $mod: the build writes it"; exit 1; }

info=$(openmpt123 --info "$mod" 2>&1)
check "openmpt123 reads a ProTracker module" 'grep -q "^Type.*mod" <<<"$info"'
duration=$(sed -n 's/^Duration\.*: *//p' <<<"$info")   # mm:ss.mmm
openmpt_seconds=$(awk -F: '{ print $1 * 60 + $2 }' <<<"$duration")
check "openmpt123 gives a length of at least 287 s ($openmpt_seconds)" 'awk -v s="$openmpt_seconds" "BEGIN { exit !(s >= 287) }"'

# xmp's own length: what it renders with its own timing, to a WAV file
xmp --nocmd --norc -q -d wav -o "$tmp/xmp.wav" -f 8000 "$mod" >/dev/null 2>&1 || true
check "xmp renders the module" '[ -s "$tmp/xmp.wav" ]'
bytes=$(stat -c %s "$tmp/xmp.wav" 2>/dev/null || echo 0)
xmp_seconds=$(awk -v b="$bytes" 'BEGIN { print (b - 44) / (8000 * 4) }')
check "xmp ($xmp_seconds s) and openmpt123 ($openmpt_seconds s) agree within 1 s" \
    'awk -v a="$xmp_seconds" -v b="$openmpt_seconds" "BEGIN { d = a - b; exit !(d < 1 && d > -1) }"'
check "xmp --load-only reads it" 'xmp --load-only -v "$mod" 2>&1 | grep -q "Duration"'

"$composer" "$tmp/again.mod"
check "the composer writes the same bytes again" 'cmp -s "$mod" "$tmp/again.mod"'

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
