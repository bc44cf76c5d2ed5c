#!/usr/bin/env bash
# The arm64 build's Debian package (velmora_*_arm64.deb), checked as this machine's is: by
# debian_package.sh, on the arm64 build ($VELMORA_ARM64_BUILD or SOURCE_DIR/build-arm64, which
# scripts/arm64-build makes).
arm=${VELMORA_ARM64_BUILD:-$2/build-arm64}
[[ -f $arm/CMakeCache.txt ]] || {
    echo "FAIL: no arm64 build in $arm (scripts/arm64-build makes one)"
    exit 1
}
exec bash "$(dirname "$0")/debian_package.sh" "$arm" "$2"
