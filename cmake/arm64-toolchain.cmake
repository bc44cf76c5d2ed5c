# Builds for arm64 Linux with Debian's cross compiler (crossbuild-essential-arm64), against the
# root of arm64 libraries that scripts/arm64-deps makes; what the build and the tests run (the
# pictures' and the music's tools, the test programs) runs under qemu-user in that root.
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/arm64-toolchain.cmake \
#         -DVELMORA_ARM64_SYSROOT="$(scripts/arm64-deps | tail -n1)"
# (or with VELMORA_ARM64_SYSROOT in the environment).

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

include(${CMAKE_CURRENT_LIST_DIR}/toolchain_root.cmake)
velmora_toolchain_root(VELMORA_ARM64_SYSROOT usr/lib/aarch64-linux-gnu/pkgconfig/allegro.pc "a root of scripts/arm64-deps")

set(CMAKE_SYSROOT "${VELMORA_ARM64_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the root's files alone, and puts the root before the paths they give.
set(ENV{PKG_CONFIG_LIBDIR}
    "${VELMORA_ARM64_SYSROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${VELMORA_ARM64_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${VELMORA_ARM64_SYSROOT}")

# qemu-user runs the arm64 programs with the root's loader and libraries; VELMORA_UNDER_QEMU tells
# the tests what it cannot stand in for.
find_program(VELMORA_QEMU qemu-aarch64-static qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${VELMORA_QEMU};-L;${VELMORA_ARM64_SYSROOT};-E;VELMORA_UNDER_QEMU=1")
