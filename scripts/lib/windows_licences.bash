# The licences of what the Windows zip holds besides the show, each as its source gives it, for
# scripts/windows-build. Sourced, never run.
#   windows_licences PREFIX   (a prefix of scripts/windows-deps) writes them to standard output

# One library's: its name, what of the zip it is, and the text.
licence_section() {
    printf '\n\n%s\n%s\n%s\n\n' "==============================================================================" \
        "$1 ($2)" "=============================================================================="
    cat "$3"
}

windows_licences() {
    local prefix=$1 root pins tree
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    # The source trees of the libraries the prefix was built from (fetched already: no network).
    mapfile -t pins < <(grep -E '^[a-z0-9.]+=[0-9]' "$prefix/.windows-deps/complete")
    declare -A trees
    for pin in "${pins[@]}" kissfft=131.1.0-4.1~deb12u1; do
        local args=("$pin")
        [[ $pin == allegro4.4=* ]] && args=(--orig-only allegro4.4 "$pin")
        tree=$("$root/scripts/debian-source" "${args[@]}") || return 1
        trees[${pin%%=*}]=$tree
    done
    licence_section "Allegro 4.4" "alleg44.dll, libloadpng.dll" "${trees[allegro4.4]}/docs/txt/license.txt"
    licence_section "SDL2" "SDL2.dll" "${trees[libsdl2]}/LICENSE.txt"
    licence_section "libopenmpt" "libopenmpt-0.dll" "${trees[libopenmpt]}/LICENSE"
    licence_section "libpng" "libpng16.dll" "${trees[libpng1.6]}/LICENSE"
    licence_section "zlib" "in libpng16.dll" /usr/share/doc/libz-mingw-w64-dev/copyright
    licence_section "kissfft" "in both programs" "${trees[kissfft]}/COPYING"
    licence_section "GCC's runtime" "libstdc++-6.dll, libgcc_s_seh-1.dll" /usr/share/doc/gcc-mingw-w64-base/copyright
    licence_section "MinGW-w64" "libwinpthread-1.dll, and in both programs" /usr/share/doc/mingw-w64-common/copyright
}
