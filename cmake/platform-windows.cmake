# Windows: the desktop's SDL2 window, sound, keys and message boxes (src/platform/desktop/), and
# what differs on Windows (src/platform/windows/): its files and paths, the program's folder, the
# console's interrupts, temporary files, the processors, starting ffmpeg, and nothing to ask of a
# sound server or a window manager. Built with MinGW-w64 against the libraries of
# scripts/windows-deps (cmake/windows-toolchain.cmake); the pictures and the music are a Linux
# build's: the same bytes everywhere.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
# The code includes <SDL2/SDL.h>, as on Linux, where the folder above SDL's is the system's own.
set_property(TARGET PkgConfig::SDL2 APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_WINDOWS_DEPS}/include)
# zlib is linked in whole (Debian's MinGW build of it), as it is into libpng's DLL: no DLL of its
# own to ship.
set_property(TARGET PkgConfig::ZLIB PROPERTY INTERFACE_LINK_LIBRARIES /usr/x86_64-w64-mingw32/lib/libz.a)

# The files, by the layer each serves, and what those layers link for them.
set(PLATFORM_process desktop/sdl_message_box.cpp windows/program_name.cpp windows/processor_time.cpp
                     windows/quiet_standard_error.cpp)
set(PLATFORM_LINKS_process PkgConfig::SDL2)
set(PLATFORM_platform desktop/sound_output.cpp windows/server_latency.cpp windows/audio_chatter.cpp
                      windows/files.cpp)
set(PLATFORM_LINKS_platform PkgConfig::SDL2)
set(PLATFORM_parallel windows/processors.cpp)
set(PLATFORM_display desktop/sdl_screen.cpp desktop/surface_picture.cpp windows/window_manager.cpp
                     windows/window_system_chatter.cpp)
set(PLATFORM_LINKS_display PkgConfig::SDL2)
set(PLATFORM_runtime desktop/window_events.cpp desktop/run_demo.cpp windows/program_folder.cpp)
set(PLATFORM_LINKS_runtime PkgConfig::SDL2)
set(PLATFORM_capture windows/encoder_process.cpp windows/unique_files.cpp windows/interrupt.cpp)
set(PLATFORM_program desktop/main.cpp)
set(PLATFORM_LINKS_program PkgConfig::SDL2)

# The Windows files answer to the interfaces the desktop's files declare (a sound server's
# latency, the window manager, the libraries' reports).
file(GLOB windows_sources ${PLATFORM_ROOT}/windows/*.cpp)
set_property(SOURCE ${windows_sources} APPEND PROPERTY INCLUDE_DIRECTORIES ${PLATFORM_ROOT}/desktop)

# Every program and DLL in one folder, where Windows looks for a program's DLLs, and where the
# tests run them from.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# The DLLs the programs link: the libraries', the C++ runtime's and the threads'. (The compiler
# names its own runtime's folder.)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(runtime_folder "${runtime_dll}" DIRECTORY)
file(GLOB VELMORA_DLLS ${VELMORA_WINDOWS_DEPS}/bin/*.dll)
list(APPEND VELMORA_DLLS ${runtime_folder}/libstdc++-6.dll ${runtime_folder}/libgcc_s_seh-1.dll
     /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
file(COPY ${VELMORA_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
