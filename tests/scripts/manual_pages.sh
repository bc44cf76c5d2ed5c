#!/usr/bin/env bash
# The manual pages and the README against the programs themselves, as each program's --help
# states them: a page describes exactly the options its program lists and names no other, the
# README's table of options is the show's, and a page's ENVIRONMENT section names exactly the
# variables its program lists. Between them the two programs list every environment variable
# that the sources read (getenv, and the SDL hints they ask SDL for), and no variable of the
# show's own that the sources no longer read. Each --help names its manual page, in the section
# the page declares.
set -u
build=$(cd "$1" && pwd)
source=$2
source "$(dirname "$0")/lib/xvfb.bash"
export LC_ALL=C

options() { grep -oE -- '(^|[^[:alnum:]_-])--[a-z][a-z0-9-]*' | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
# The lines of one section (.SH NAME) of a page.
section() { awk -v name="$2" '/^\.SH / { on = ($2 == name) ; next } on' "$1"; }
# The tags of a section's items: the line after each .TP.
tags() { awk 'tp { print; tp = 0 } /^\.TP/ { tp = 1 }'; }
unescape() { sed 's/\\-/-/g'; }
same() {  # what, the sorted list from the program, the sorted list from the text
    [[ $2 == "$3" ]] && return 0
    fail "$1: only the program lists [$(comm -23 <(echo "$2") <(echo "$3") | xargs)]," \
        "only the text [$(comm -13 <(echo "$2") <(echo "$3") | xargs)]"
}

documented=()
for program in velmora velmora-capture; do
    help=$(env -u DISPLAY "$build/$program" --help) || fail "$program --help"
    page=$(ls "$source"/dist/"$program".[1-9])
    [[ $(wc -w <<<"$page") == 1 ]] || fail "no one manual page for $program in dist/: $page"
    number=${page##*.}
    [[ $(sed -n 's/^\.TH \([^ ]*\) \([^ ]*\) .*/\1 \2/p' "$page") == "$(tr a-z- A-Z_ <<<"$program" | sed 's/_/\\-/') $number" ]] ||
        fail "$page: its .TH line names another page or section"
    grep -qF "$program($number)" <<<"$help" || fail "$program --help does not name $program($number)"

    listed=$(options <<<"$help")
    same "$page, OPTIONS" "$listed" "$(section "$page" OPTIONS | tags | unescape | options)"
    mentioned=$(unescape <"$page" | options | comm -13 <(echo "$listed") -)
    [[ -z $mentioned ]] || fail "$page names options that $program does not have: $mentioned"

    variables=$(sed -n '/^Environment:$/,/^[^ ]/p' <<<"$help" | awk '/^  [A-Z]/ { print $1 }' | sort -u)
    [[ -n $variables ]] || fail "$program --help lists no environment variables"
    same "$page, ENVIRONMENT" "$variables" "$(section "$page" ENVIRONMENT | tags | awk '{ print $2 }' | sort -u)"
    documented+=($variables)
    echo "$program: $(wc -l <<<"$listed") options and $(wc -l <<<"$variables") variables, as in $(basename "$page")"
done

listed=$(env -u DISPLAY "$build/velmora" --help | options)
same "README.md, the table of options" "$listed" \
    "$(awk '/^## Watching/, /^## Capturing/' "$source/README.md" | grep -E '^\| `--' | options)"

# What the sources read: variables by name, the show's own names wherever they stand (a name may
# be kept in a constant), and the SDL hints asked for, by the names SDL's header gives them.
hints=$(pkg-config --variable=includedir sdl2)/SDL2/SDL_hints.h
read_names=$({
    grep -rhoE 'getenv\("[A-Za-z_][A-Za-z0-9_]*"\)' "$source/src" | cut -d'"' -f2
    grep -rhoE '"VELMORA_[A-Z0-9_]+"' "$source/src" | tr -d '"'
    for hint in $(grep -rhoE 'SDL_GetHint\(SDL_HINT_[A-Z0-9_]+\)' "$source/src" | grep -oE 'SDL_HINT_[A-Z0-9_]+'); do
        name=$(sed -nE "s/^#define $hint +\"([A-Z0-9_]+)\".*/\1/p" "$hints")
        [[ -n $name ]] || echo "unresolved:$hint"
        echo "$name"
    done
} | sort -u)
[[ $read_names == *unresolved:* ]] && fail "hints not found in $hints: $read_names"
all=$(printf '%s\n' "${documented[@]}" | sort -u)
undocumented=$(comm -23 <(echo "$read_names") <(echo "$all"))
[[ -z $undocumented ]] || fail "read by the sources but listed by neither program: $undocumented"
stale=$(comm -13 <(echo "$read_names") <(echo "$all") | grep '^VELMORA_')
[[ -z $stale ]] || fail "listed, but read nowhere in the sources: $stale"
echo "the sources read $(wc -l <<<"$read_names") variables, every one listed: $(xargs <<<"$read_names")"
