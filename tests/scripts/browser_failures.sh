#!/usr/bin/env bash
# A site without its module, and one with a datafile cut short: the page says what failed on top
# of everything, naming the file, in the words the desktop's show uses for the same files. The logic
# is in lib/browser.py.
set -u
# Debian's python3, whose python3-selenium drives Chromium.
exec /usr/bin/python3 "$(dirname "$0")/lib/browser.py" failures "$1" "$2"
