# Builds of Debian 12's source packages into an install prefix kept in the cache, as
# scripts/web-deps and scripts/windows-deps make them. Sourced, never run. The script that sources
# it sets:
#   pins         the source packages, name=version as apt names them (with the epoch), in the
#                order they build
#   orig_only    those whose Debian part is gone from the archive: fetched as their .dsc and
#                upstream tarball alone and built without Debian's patches
#   build_<name> each package's build, run in a fresh copy of its source tree with the upstream
#                version as argument (<name> is the package's name up to its first digit or dot)
#   cache, root  the cache folder and the project's
#   before_builds (if defined) what the builds need to know of the prefix, set in the environment
# and calls build_prefix with the prefix's name and the key's text.
source "$(dirname "${BASH_SOURCE[0]}")/steps.bash"

upstream_version() {
    local v=${1#*:}
    echo "${v%-*}"
}
# The source packages, fetched once (scripts/debian-source), as its arguments.
source_args() {
    local p
    for p in "${orig_only[@]}"; do printf '%s\n' --orig-only "$p"; done
    printf '%s\n' "$@"
}
# A fresh copy of a package's source tree in the build folder.
unpack() {
    local pin=$1 tree copy
    mapfile -t args < <(source_args "$pin")
    tree=$("$root/scripts/debian-source" "${args[@]}") || fail "${pin%%=*}: no source"
    copy=$build/${pin%%=*}
    rm -rf "$copy"
    mkdir -p "$build"
    cp -a "$tree" "$copy"
    echo "$copy"
}

# Builds the prefix $cache/NAME-<key>, the key being the first twelve digits of the SHA256 of
# KEY_TEXT, unless it is complete already; prints it as the last line of standard output. One
# build of a prefix at a time: a second run waits for it, then finds it built. The packages that
# built stay built when a later one fails. Sets prefix and state for the builds.
build_prefix() {
    local name=$1 key_text=$2 key
    key=$(sha256sum <<<"$key_text" | cut -c1-12)
    prefix=$cache/$name-$key
    state=$prefix/.$name
    if [[ -f $state/complete ]]; then
        echo "$prefix"
        return 0
    fi
    mkdir -p "$state/logs"
    exec 9>"$cache/$name.lock"
    flock 9
    if [[ -f $state/complete ]]; then
        echo "$prefix"
        return 0
    fi
    build=$state/build
    ! declare -F before_builds >/dev/null || before_builds
    local began=$SECONDS pin package started args
    mapfile -t args < <(source_args "${pins[@]}")
    "$root/scripts/debian-source" "${args[@]}" >/dev/null
    for pin in "${pins[@]}"; do
        package=${pin%%=*}
        [[ -f $state/$package.done ]] && continue
        started=$SECONDS
        log=$state/logs/$package.log
        say "building $package $(upstream_version "${pin#*=}") (log: $log)"
        : >"$log"
        tree=$(unpack "$pin")
        (cd "$tree" && "build_${package%%[0-9.]*}" "$(upstream_version "${pin#*=}")")
        touch "$state/$package.done"
        say "$package: $((SECONDS - started)) s"
    done
    rm -rf "$build"
    echo "$key_text" >"$state/complete"
    say "built in $((SECONDS - began)) s"
    echo "$prefix"
}
