#!/usr/bin/env bash
# The Debian package as CPack builds it from the build tree: its name and version are the
# project's, its architecture the machine's; it depends on the package of every shared library
# its programs link (as dpkg-shlibdeps derives them), recommends the plugin that draws a Wayland
# window's title bar and suggests ffmpeg; it
# holds exactly the installed files, owned by root, with stripped programs; lintian finds nothing
# to say of it, pedantic hints included, but what is explained below; its metainfo is valid and
# its desktop entry names the program where the package puts it; and the programs of an unpacked
# copy run and find their files. A build for arm64 (scripts/arm64-build) is checked the same way:
# its package is arm64's, its libraries and their packages those of the root it was built against,
# and its programs run under qemu-user.
set -u
build=$(cd "$1" && pwd)
source=$2
source "$(dirname "$0")/lib/xvfb.bash"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

arch=$(dpkg --print-architecture)
sysroot=$(sed -n 's/^VELMORA_ARM64_SYSROOT:PATH=//p' "$build/CMakeCache.txt")
admin=() run=() objdump=objdump start_file=$(cc -print-file-name=Scrt1.o)
# The control-flow protection's landing marks, and the note that marks an object as protected.
mark='\bendbr64\b' feature='x86 feature: IBT, SHSTK'
[[ $(uname -m) == x86_64 ]] || mark=''
if [[ -n $sysroot ]]; then
    arch=arm64
    admin=(env "DPKG_ADMINDIR=$sysroot/var/lib/dpkg")
    run=("$(sed -n 's/^VELMORA_QEMU:FILEPATH=//p' "$build/CMakeCache.txt")" -L "$sysroot")
    objdump=aarch64-linux-gnu-objdump start_file=$sysroot/usr/lib/aarch64-linux-gnu/Scrt1.o
    mark='\bbti\b' feature='AArch64 feature: BTI'
fi

"${admin[@]}" cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(tail -5 "$work/cpack.log")"
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\) .*/\1/p' "$source/CMakeLists.txt")
deb=$work/out/velmora_${version}_$arch.deb
[[ -n $version && -f $deb ]] || fail "no velmora_${version}_$arch.deb: $(ls "$work/out")"

field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == velmora ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
[[ $(field Section) == games ]] || fail "Section: $(field Section)"
[[ $(field Recommends) == libdecor-0-plugin-1-cairo ]] || fail "Recommends: $(field Recommends)"
[[ $(field Suggests) == ffmpeg ]] || fail "Suggests: $(field Suggests)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ $(field Description | wc -l) -gt 3 ]] || fail "Description: $(field Description)"
echo "Depends: $(field Depends)"

dpkg-deb --extract "$deb" "$work/root"
programs=("$work/root/usr/games/velmora" "$work/root/usr/games/velmora-capture")

# Every library the programs link comes from a package the package depends on, with a version.
depends=$(field Depends)
# Where the loader finds a library: as ldd says, or in the arm64 root.
library_of() {
    if [[ -n $sysroot ]]; then
        local dir
        for dir in usr/lib/aarch64-linux-gnu lib/aarch64-linux-gnu lib; do
            [[ -e $sysroot/$dir/$1 ]] && echo "$sysroot/$dir/$1" && return
        done
        return
    fi
    # "soname => path", or the path alone for the dynamic loader.
    awk -v so="$1" '$1 == so && $2 == "=>" { print $3; exit }
        substr($1, length($1) - length(so)) == "/" so { print $1; exit }' "$work/ldd"
}
[[ -n $sysroot ]] || ldd "${programs[@]}" >"$work/ldd"
for soname in $(readelf -d "${programs[@]}" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | sort -u); do
    library=$(library_of "$soname")
    [[ -n $library ]] || fail "the loader would not find $soname"
    owner=$("${admin[@]}" dpkg -S "$library" 2>/dev/null || "${admin[@]}" dpkg -S "/usr$library" 2>/dev/null ||
        "${admin[@]}" dpkg -S "${library#/usr}" 2>/dev/null) || fail "no package holds $soname ($library)"
    owner=${owner%%:*}
    [[ ", $depends" == *", $owner ("* ]] && continue
    # The sanitizers' runtimes (a sanitizer build) may come without version information.
    [[ $owner == lib*san* && ", $depends," == *", $owner,"* ]] && continue
    fail "Depends lacks $owner (for $soname): $depends"
done

# The contents: the installed files, no more, under /usr, owned by root.
dpkg-deb --contents "$deb" >"$work/contents"
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/contents" ||
    fail "entries not owned by root"
awk '$1 ~ /^-/ { print $6 }' "$work/contents" | sort >"$work/files"
sort >"$work/expected" <<EOF
./usr/games/velmora
./usr/games/velmora-capture
./usr/share/velmora/oldskool.dat
./usr/share/velmora/drift.mod
./usr/share/applications/velmora.desktop
./usr/share/metainfo/invalid.velmora.velmora.metainfo.xml
./usr/share/man/man6/velmora.6.gz
./usr/share/man/man6/velmora-capture.6.gz
./usr/share/doc/velmora/copyright
./usr/share/doc/velmora/changelog.gz
$(for s in 16 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${s}x$s/apps/velmora.png"; done)
EOF
diff "$work/expected" "$work/files" >&2 || fail "the package's files differ from the list above"
grep -q '^-rwxr-xr-x .* \./usr/games/velmora-capture$' "$work/contents" || fail "capture not executable"
for p in "${programs[@]}"; do
    readelf -S "$p" | grep -q '\.symtab' && fail "$(basename "$p") is not stripped"
done
[[ $(zcat "$work/root/usr/share/doc/velmora/changelog.gz" | head -n1) == "velmora ($version) "* ]] ||
    fail "the changelog's last entry is not for $version"

entry=$work/root/usr/share/applications/velmora.desktop
[[ $(sed -n 's/^Exec=//p' "$entry") == "/usr/games/velmora --fullscreen" &&
    $(sed -n 's/^TryExec=//p' "$entry") == /usr/games/velmora ]] ||
    fail "the desktop entry does not name /usr/games/velmora: $(grep Exec "$entry")"

# lintian, with pedantic hints and information: not a word (its complaint at being run as root
# goes to standard error). Its hardening checks look for BIND_NOW, PIE, RELRO, the stack
# protector and fortified calls in both programs.
# A sanitizer build is not hardened (its instrumentation does that work): there the hardening
# tags are expected.
suppressed=()
grep -q '^VELMORA_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt" &&
    suppressed=(--suppress-tags hardening-no-bindnow,hardening-no-fortify-functions,hardening-no-pie,hardening-no-relro)
lintian -I --pedantic "${suppressed[@]}" "$deb" >"$work/lintian.log" 2>"$work/lintian.err" ||
    fail "lintian ended with $?: $(cat "$work/lintian.err")"
[[ ! -s $work/lintian.log ]] || fail "lintian: $(cat "$work/lintian.log")"
# hardening-check (as Debian 13 builds: stack clash protection and control-flow protection too):
# not a "no". The linker marks a program for control-flow protection only when every object in it
# is marked, the C library's start files included; where those are not (Debian 12's), the
# programs' own code must still carry its landing marks, far more than the start files' few.
if ! grep -q '^VELMORA_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt"; then
    for program in "${programs[@]}"; do
        report=$(hardening-check "$program" 2>/dev/null) || true
        if [[ -n $mark ]] && ! readelf -n "$start_file" | grep -q "$feature"; then
            report=$(grep -v 'Control flow integrity: no' <<<"$report")
            marks=$("$objdump" -d "$program" | grep -cE "$mark")
            ((marks > 100)) || fail "$(basename "$program") is not built with control-flow protection ($marks landing marks)"
        fi
        ! grep -E ': no\b' <<<"$report" || fail "hardening-check: $report"
    done
fi

# The metainfo's one remark: its id's domain is the reserved .invalid of the contact address.
appstreamcli validate --pedantic --no-net "$work"/root/usr/share/metainfo/*.xml >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli: $(cat "$work/appstream.log")"
remarks=$(grep -E '^[EWIP]: ' "$work/appstream.log" | grep -v ' cid-maybe-not-rdns ')
[[ -z $remarks ]] || fail "appstreamcli: $remarks"
echo "lintian -I --pedantic: nothing; appstreamcli: $(tail -n1 "$work/appstream.log")"

# The packaged programs run, and find their files at /usr/share/velmora from /usr/games.
"${run[@]}" "$work/root/usr/games/velmora-capture" --help >/dev/null || fail "velmora-capture --help"
(cd "$work" && env -u VELMORA_DATA "${run[@]}" "${programs[1]}" --bench --from 15300 --to 15400) \
    >"$work/bench.log" 2>&1 || fail "the packaged capture: $(cat "$work/bench.log")"
echo "package: $(basename "$deb"), $(wc -l <"$work/files") files"
