#!/usr/bin/env bash
# The Debian package as CPack builds it from the build tree: its name and version are the
# project's, its architecture the machine's; it depends on the package of every shared library
# its programs link (as dpkg-shlibdeps derives them) and recommends ffmpeg; it holds exactly the
# installed files, owned by root, with stripped programs; and the programs of an unpacked copy
# run and find their files.
set -u
build=$(cd "$1" && pwd)
source=$2
source "$(dirname "$0")/lib/xvfb.bash"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(tail -5 "$work/cpack.log")"
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\) .*/\1/p' "$source/CMakeLists.txt")
arch=$(dpkg --print-architecture)
deb=$work/out/velmora_${version}_$arch.deb
[[ -n $version && -f $deb ]] || fail "no velmora_${version}_$arch.deb: $(ls "$work/out")"

field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == velmora ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
[[ $(field Section) == games ]] || fail "Section: $(field Section)"
[[ $(field Recommends) == ffmpeg ]] || fail "Recommends: $(field Recommends)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ $(field Description | wc -l) -gt 3 ]] || fail "Description: $(field Description)"
echo "Depends: $(field Depends)"

dpkg-deb --extract "$deb" "$work/root"
programs=("$work/root/usr/games/velmora" "$work/root/usr/games/velmora-capture")

# Every library the programs link comes from a package the package depends on, with a version.
depends=$(field Depends)
ldd "${programs[@]}" >"$work/ldd"
for soname in $(readelf -d "${programs[@]}" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | sort -u); do
    library=$(awk -v so="$soname" '$1 == so && $2 == "=>" { print $3; exit }' "$work/ldd")
    owner=$(dpkg -S "$library" 2>/dev/null || dpkg -S "/usr$library" 2>/dev/null ||
        dpkg -S "${library#/usr}" 2>/dev/null) || fail "no package holds $soname ($library)"
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

# The packaged programs run, and find their files at /usr/share/velmora from /usr/games.
"$work/root/usr/games/velmora-capture" --help >/dev/null || fail "velmora-capture --help"
(cd "$work" && env -u VELMORA_DATA "${programs[1]}" --bench --from 15300 --to 15400) \
    >"$work/bench.log" 2>&1 || fail "the packaged capture: $(cat "$work/bench.log")"
echo "package: $(basename "$deb"), $(wc -l <"$work/files") files"
