#!/usr/bin/env bash
# What a Windows viewer downloads: velmora-windows-x86_64.zip holds one folder with the two
# programs, every DLL they need that Windows itself does not have (and no other), the show's
# datafile and module (this build's, byte for byte), the licences and README.txt; the show is a
# windowed program (no console opens with it) and the capture a console one; both carry the icon
# and their version and Windows' own hardening marks; unpacked and started from its own folder,
# the capture renders the show.
set -euo pipefail
build=$1 source=$2
win=$(realpath "${VELMORA_WINDOWS_BUILD:-$source/build-windows}")
source=$(realpath "$source")
zip=$win/velmora-windows-x86_64.zip
fail() {
    echo "FAIL: $*"
    exit 1
}
[[ -f $zip ]] || fail "no $zip (scripts/windows-build makes it)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
folder=$work/velmora-windows-x86_64
[[ -d $folder ]] || fail "the zip holds no folder velmora-windows-x86_64"
for file in velmora.exe velmora-capture.exe oldskool.dat drift.mod LICENSE.txt README.txt; do
    [[ -s $folder/$file ]] || fail "the zip holds no $file"
done
for file in oldskool.dat drift.mod; do
    cmp -s "$build/$file" "$folder/$file" || fail "$file differs from this build's"
done

objdump=x86_64-w64-mingw32-objdump
# The DLLs a program or DLL imports, lower-cased.
imports() { "$objdump" -p "$1" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'; }
# Windows' own: what every Windows 10 and 11 has.
system='^(kernel32|user32|gdi32|winmm|imm32|ole32|oleaut32|shell32|version|setupapi|advapi32|msvcrt|ws2_32|ddraw|dsound|dinput|dinput8|dxguid|opengl32|cfgmgr32|hid|rpcrt4|comdlg32|api-ms-win-.*)\.dll$'
declare -A needed=()
todo=(velmora.exe velmora-capture.exe)
while ((${#todo[@]} > 0)); do
    file=${todo[-1]}
    unset 'todo[-1]'
    while read -r dll; do
        [[ $dll =~ $system || -n ${needed[$dll]:-} ]] && continue
        shipped=$(cd "$folder" && ls | grep -ix "$dll" || true)
        [[ -n $shipped ]] || fail "$file needs $dll, which the zip does not hold"
        needed[$dll]=1
        todo+=("$shipped")
    done < <(imports "$folder/$file")
done
for dll in "$folder"/*.dll; do
    name=$(basename "$dll" | tr 'A-Z' 'a-z')
    [[ -n ${needed[$name]:-} ]] || fail "the zip holds $name, which nothing needs"
done

subsystem() { "$objdump" -p "$1" | sed -n 's/^Subsystem\t*//p' | cut -c1-8; }
[[ $(subsystem "$folder/velmora.exe") == 00000002 ]] || fail "velmora.exe is not a windowed program"
[[ $(subsystem "$folder/velmora-capture.exe") == 00000003 ]] || fail "velmora-capture.exe is not a console program"
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
for program in velmora velmora-capture; do
    exe=$folder/$program.exe
    # (Read whole: grep -q would stop reading and the pipe fail.)
    headers=$("$objdump" -p -h "$exe")
    grep -q '\.rsrc' <<<"$headers" || fail "$program.exe has no resources"
    # The version resource's strings are UTF-16: every other byte is 0.
    texts=$(strings -e l "$exe")
    grep -qx "$version" <<<"$texts" || fail "$program.exe carries no version $version"
    grep -qx "$program.exe" <<<"$texts" || fail "$program.exe carries no name"
    # Loaded anywhere in the 64-bit space, and no code run from data.
    for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
        grep -qw "$flag" <<<"$headers" || fail "$program.exe is not marked $flag"
    done
done

# Unpacked and run from its own folder, the capture finds the show's files beside it.
(cd "$folder" && "$source/scripts/wine-run" velmora-capture.exe --frames --from 110000 --to 110100 --out "$work/out" \
    >"$work/capture.log" 2>&1) || fail "the unpacked capture failed: $(tail -n 3 "$work/capture.log")"
[[ $(find "$work/out/frames" -name '*.png' | wc -l) == 6 ]] || fail "the unpacked capture wrote no six frames"
echo "PASS: $(du -k "$zip" | cut -f1) KB zip of $(ls "$folder" | wc -l) files: $(cd "$folder" && ls | tr '\n' ' ')"
