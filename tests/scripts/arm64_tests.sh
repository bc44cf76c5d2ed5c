#!/usr/bin/env bash
# The arm64 build's tests (the effects, the show, its files and music, the pool), run under
# qemu-user by the build's own ctest. What qemu-user cannot stand in for (a test that starts an
# arm64 child program, a memory limit it does not enforce) is skipped there, saying why. The
# arm64 build is $VELMORA_ARM64_BUILD or SOURCE_DIR/build-arm64 (scripts/arm64-build makes it).
# The whole show, at five to eight times this machine's time under qemu, is left to arm64_capture.
set -euo pipefail
source "$(dirname "$0")/lib/cross_tests.bash"
run_cross_tests "${VELMORA_ARM64_BUILD:-$2/build-arm64}" arm64 qemu arm64_capture
