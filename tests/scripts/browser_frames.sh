#!/usr/bin/env bash
# The capture page in headless Chromium renders what velmora-capture renders, pixel for pixel:
# half a second from every chapter key at 60 frames/s, on one thread, and two spans again on the
# threaded page (served isolated across origins). The site is $VELMORA_WEB_SITE or
# SOURCE_DIR/build-web/site (scripts/web-build); the logic is in lib/browser.py.
set -u
# Debian's python3, whose python3-selenium drives Chromium.
exec /usr/bin/python3 "$(dirname "$0")/lib/browser.py" frames "$1" "$2"
