# Builds for 64-bit Windows with Debian's MinGW-w64 cross compiler, against the libraries that
# scripts/windows-deps builds from Debian's sources; what the build and the tests run (the test
# programs, the capture) runs under Wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake \
#         -DVELMORA_WINDOWS_DEPS="$(scripts/windows-deps | tail -n1)"
# (or with VELMORA_WINDOWS_DEPS in the environment).

include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain_root.cmake)
velmora_toolchain_root(VELMORA_WINDOWS_DEPS lib/pkgconfig/allegro.pc "a prefix of scripts/windows-deps")
set(VELMORA_PLATFORM windows CACHE STRING "The platform to build for")

list(APPEND CMAKE_FIND_ROOT_PATH "${VELMORA_WINDOWS_DEPS}")
# pkg-config reads the prefix, then MinGW's own libraries (zlib), and takes the paths as written.
set(ENV{PKG_CONFIG_LIBDIR} "${VELMORA_WINDOWS_DEPS}/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
unset(ENV{PKG_CONFIG_SYSROOT_DIR})

# Wine runs the programs (scripts/wine-run); their DLLs are put beside them (in bin/ of the build).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
