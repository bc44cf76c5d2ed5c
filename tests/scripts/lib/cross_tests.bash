# The tests of a build for another platform, run by that build's own ctest under its emulator
# (qemu-user, Wine), for tests/scripts/arm64_tests.sh and windows_tests.sh.

# Runs the tests of the build in BUILD (for PLATFORM, under EMULATOR; the build leaves out the
# whole show's tests, which its capture test COMPARED_BY stands for); fails when one fails or fewer than a hundred ran, and says
# which were skipped and why.
run_cross_tests() {
    local build=$1 platform=$2 emulator=$3 compared_by=$4
    [[ -f $build/CTestTestfile.cmake ]] || {
        echo "FAIL: no $platform build in $build (scripts/$platform-build makes one)"
        exit 1
    }
    echo "the whole show's tests are left to $compared_by"
    local status=0
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    ctest --test-dir "$build" -j "$(nproc)" --output-on-failure --timeout 600 >"$log" 2>&1 ||
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
