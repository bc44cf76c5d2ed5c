# The tests of a build for another platform, run by that build's own ctest under its emulator
# (qemu-user, Wine), for tests/scripts/arm64_tests.sh and windows_tests.sh.

# The three tests that run the whole show, left to the comparison of that build's capture of the
# whole show with this machine's.
WHOLE_SHOW='ShowSchedule.EveryMomentLeavesOneFrameWithinTheLimits|ShowPasses.EveryMomentThatDependsOnThePassesBeforeItHasAnEffectThatSaysSoAndEachOneIsNeeded|ShowOnThreads.APoolPaintsEveryPictureOfTheShowAsOneThreadDoes'

# Runs the tests of the build in BUILD (for PLATFORM, under EMULATOR, whose capture test is
# COMPARED_BY) but the whole show's; fails when one fails or fewer than a hundred ran, and says
# which were skipped and why.
run_cross_tests() {
    local build=$1 platform=$2 emulator=$3 compared_by=$4
    [[ -f $build/CTestTestfile.cmake ]] || {
        echo "FAIL: no $platform build in $build (scripts/$platform-build makes one)"
        exit 1
    }
    echo "not run under $emulator (the whole show, compared by $compared_by): ${WHOLE_SHOW//|/, }"
    local status=0
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    ctest --test-dir "$build" -j "$(nproc)" --output-on-failure --timeout 600 -E "^($WHOLE_SHOW)\$" >"$log" 2>&1 ||
        status=$?
    grep -E "tests passed|Skipped|\*\*\*Failed|Total Test time" "$log" || true
    if ((status != 0)); then
        tail -n 60 "$log"
        echo "FAIL: the $platform tests under $emulator"
        exit 1
    fi
    # The tests as Google Test counts them, whether ctest ran each alone or a program's at once.
    local results=$build/Testing/Temporary/LastTest.log passed skipped
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$results" | awk '{s += $1} END {print s + 0}')
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?,.*/\1/p' "$results" | awk '{s += $1} END {print s + 0}')
    ((passed > 100)) || {
        echo "FAIL: only $passed $platform tests passed"
        exit 1
    }
    echo "skipped, and why:"
    grep -h -A1 ': Skipped$' "$results" | grep -v -e ': Skipped$' -e '^--$' | sort -u
    echo "PASS: $passed $platform tests passed under $emulator, $skipped skipped"
}
