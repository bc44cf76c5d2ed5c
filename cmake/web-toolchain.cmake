# Builds for the browser: emscripten's own toolchain, with the libraries that scripts/web-deps
# builds found through pkg-config in its prefix and nowhere on the machine.
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/web-toolchain.cmake \
#         -DVELMORA_WEB_DEPS="$(scripts/web-deps | tail -n1)"
# (or with VELMORA_WEB_DEPS in the environment).

include(${CMAKE_CURRENT_LIST_DIR}/toolchain_root.cmake)
velmora_toolchain_root(VELMORA_WEB_DEPS lib/pkgconfig/allegro.pc "a prefix of scripts/web-deps")

# What the checks and the tests run goes to node, without node's own fetch, which emscripten's
# loader would take for a browser's.
find_program(VELMORA_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${VELMORA_NODE};--no-experimental-fetch")

set(emscripten_toolchain /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
if(NOT EXISTS "${emscripten_toolchain}")
  execute_process(COMMAND em-config EMSCRIPTEN_ROOT OUTPUT_VARIABLE emscripten_root
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(emscripten_toolchain "${emscripten_root}/cmake/Modules/Platform/Emscripten.cmake")
endif()
include("${emscripten_toolchain}")

# pkg-config reads the prefix, then emscripten's own libraries (as emcmake would have it), and
# takes the prefix's paths as they are written.
set(ENV{PKG_CONFIG_LIBDIR}
    "${VELMORA_WEB_DEPS}/lib/pkgconfig:${EMSCRIPTEN_SYSROOT}/local/lib/pkgconfig:${EMSCRIPTEN_SYSROOT}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
unset(ENV{PKG_CONFIG_SYSROOT_DIR})
# The libraries that pkg-config names are looked up under the prefix, which emscripten's toolchain
# otherwise keeps the search out of.
list(APPEND CMAKE_FIND_ROOT_PATH "${VELMORA_WEB_DEPS}")
