# A desktop (Linux): SDL2 shows the pictures in a window or fullscreen, reads the keyboard and
# the mouse, shows message boxes and plays the sound; PulseAudio is asked how far behind it plays.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)

# The files of src/platform/desktop/, by the layer each serves, and what those layers link for them.
set(PLATFORM_process sdl_message_box.cpp)
set(PLATFORM_LINKS_process PkgConfig::SDL2)
set(PLATFORM_platform sound_output.cpp server_latency.cpp audio_chatter.cpp)
set(PLATFORM_LINKS_platform PkgConfig::SDL2 PkgConfig::PULSE)
set(PLATFORM_parallel processors.cpp)
set(PLATFORM_display sdl_screen.cpp surface_picture.cpp window_manager.cpp window_system_chatter.cpp)
set(PLATFORM_LINKS_display PkgConfig::SDL2)
set(PLATFORM_runtime window_events.cpp run_demo.cpp)
set(PLATFORM_LINKS_runtime PkgConfig::SDL2)
set(PLATFORM_program main.cpp)
set(PLATFORM_LINKS_program PkgConfig::SDL2)
