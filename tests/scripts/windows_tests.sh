#!/usr/bin/env bash
# The Windows build's tests (the effects, the show, its timeline, files and music, the pool, the
# sleeps), run under Wine by the build's own ctest. What Wine cannot stand in for is skipped there,
# saying why. The Windows build is $VELMORA_WINDOWS_BUILD or SOURCE_DIR/build-windows
# (scripts/windows-build makes it). The whole show is left to windows_capture.
set -euo pipefail
source "$(dirname "$0")/lib/cross_tests.bash"
run_cross_tests "${VELMORA_WINDOWS_BUILD:-$2/build-windows}" windows Wine windows_capture
