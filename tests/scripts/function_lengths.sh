#!/usr/bin/env bash
# No function under src/ runs over 60 lines, but the show's flat set-up lists: longer ones are
# split into named steps.
set -u
exec python3 "$(dirname "$0")/lib/function_lengths.py" "$2"
