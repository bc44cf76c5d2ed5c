# What the scripts that fetch and build share: their messages, each line named by the script, and
# the commands they run with the output added to a log ($log), shown in part when one fails.
# Sourced, never run.

say() { echo "${0##*/}: $*" >&2; }
fail() {
    say "$*"
    exit 1
}
run() {
    if ! "$@" >>"$log" 2>&1; then
        say "failed: $*"
        say "last lines of $log:"
        tail -n 40 "$log" >&2
        exit 1
    fi
}
