#!/usr/bin/env bash
# The arm64 build's tests (the effects, the show, its files and music, the pool), run under
# qemu-user by the build's own ctest. What qemu-user cannot stand in for (a test that starts an
# arm64 child program, a memory limit it does not enforce) is skipped there, saying why. The
# arm64 build is $VELMORA_ARM64_BUILD or SOURCE_DIR/build-arm64 (scripts/arm64-build makes it).
set -euo pipefail
source=$2
arm=${VELMORA_ARM64_BUILD:-$source/build-arm64}
[[ -f $arm/CTestTestfile.cmake ]] || {
    echo "FAIL: no arm64 build in $arm (scripts/arm64-build makes one)"
    exit 1
}
# The three tests that run the whole show, at five to eight times this machine's time under qemu,
# are left to arm64_capture, which compares every picture of the whole show with this machine's.
whole_show='ShowSchedule.EveryMomentLeavesOneFrameWithinTheLimits|ShowPasses.EveryMomentThatDependsOnThePassesBeforeItHasAnEffectThatSaysSoAndEachOneIsNeeded|ShowOnThreads.APoolPaintsEveryPictureOfTheShowAsOneThreadDoes'
echo "not run under qemu (the whole show, compared by arm64_capture): ${whole_show//|/, }"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
ctest --test-dir "$arm" -j "$(nproc)" --output-on-failure --timeout 600 -E "^($whole_show)\$" >"$log" 2>&1 || status=$?
grep -E "tests passed|Skipped|\*\*\*Failed|Total Test time" "$log" || true
if ((status != 0)); then
    tail -n 60 "$log"
    echo "FAIL: the arm64 tests under qemu"
    exit 1
fi
ran=$(grep -c "Test *#" "$log" || true)
((ran > 100)) || {
    echo "FAIL: only $ran arm64 tests ran"
    exit 1
}
skipped=$(grep -c '\*\*\*Skipped' "$log" || true)
echo "skipped, and why:"
grep -h -A1 ': Skipped$' "$arm/Testing/Temporary/LastTest.log" | grep -v -e ': Skipped$' -e '^--$' | sort -u
echo "PASS: $((ran - skipped)) arm64 tests passed under qemu, $skipped skipped"
