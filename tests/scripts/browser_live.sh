#!/usr/bin/env bash
# The page in headless Chromium as a viewer gets it, served isolated (threads): the progress bar,
# the first picture and the start line, a click starting the show with its sound, F9 and F8 landing
# on the pictures the 60 frames/s capture shows then, pictures presented at the display's rate; and
# served plainly, the program on one thread presenting as steadily. Screenshots go to
# BUILD_DIR/screenshots/browser-*.png; the logic is in lib/browser.py.
set -u
# Debian's python3, whose python3-selenium drives Chromium.
exec /usr/bin/python3 "$(dirname "$0")/lib/browser.py" live "$1" "$2"
