# A desktop (Linux): SDL2 shows the pictures in a window or fullscreen, reads the keyboard and
# the mouse, shows message boxes and plays the sound; PulseAudio is asked how far behind it plays.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)

# The files of src/platform/desktop/ and posix/, by the layer each serves, and what those layers
# link for them.
set(PLATFORM_process desktop/sdl_message_box.cpp posix/program_name.cpp posix/processor_time.cpp
                     posix/quiet_standard_error.cpp)
set(PLATFORM_LINKS_process PkgConfig::SDL2)
set(PLATFORM_platform desktop/sound_output.cpp desktop/server_latency.cpp desktop/audio_chatter.cpp posix/files.cpp)
set(PLATFORM_LINKS_platform PkgConfig::SDL2 PkgConfig::PULSE)
set(PLATFORM_parallel desktop/processors.cpp)
set(PLATFORM_display desktop/sdl_screen.cpp desktop/surface_picture.cpp desktop/window_manager.cpp desktop/window_system_chatter.cpp)
set(PLATFORM_LINKS_display PkgConfig::SDL2)
set(PLATFORM_runtime desktop/window_events.cpp desktop/run_demo.cpp posix/program_folder.cpp)
set(PLATFORM_LINKS_runtime PkgConfig::SDL2)
set(PLATFORM_capture posix/encoder_process.cpp posix/unique_files.cpp posix/interrupt.cpp)
set(PLATFORM_program desktop/main.cpp)
set(PLATFORM_LINKS_program PkgConfig::SDL2)
