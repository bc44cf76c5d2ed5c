# A browser: the program compiled to WebAssembly by emscripten, on the libraries built for it from
# Debian's sources (scripts/web-deps); the page (src/platform/web/page/) presents the pictures on a
# canvas, plays the sound through an audio worklet and hands over the keys. The pictures and the
# music are a desktop build's: the same bytes everywhere.
# VELMORA_WEB_THREADS: render on a pool of threads, for a page served isolated across origins
# (COOP/COEP headers); without them a page may run no threads, and the show plays on one.
option(VELMORA_WEB_THREADS "Build the threaded program (needs a cross-origin isolated page)" OFF)

# The files of src/platform/web/ and posix/ (emscripten's system is a POSIX one), by the layer
# each serves.
set(PLATFORM_process web/page_message_box.cpp posix/program_name.cpp posix/processor_time.cpp
                     posix/quiet_standard_error.cpp)
set(PLATFORM_platform web/web_sound_output.cpp posix/files.cpp)
set(PLATFORM_parallel web/processors.cpp)
set(PLATFORM_display web/canvas_screen.cpp)
set(PLATFORM_runtime web/page_input.cpp web/run_demo.cpp posix/program_folder.cpp)
set(PLATFORM_program web/main.cpp web/capture_frames.cpp)

# What the page serves beside the program, from src/platform/web/page/.
set(PLATFORM_PAGE index.html page.css page.js worklet.js)

add_compile_options(-msimd128)
# The program: it returns from main and lives on, driven by the page's animation frames; the page
# gives it its files and calls it by name.
set(PLATFORM_LINKS_program -sEXIT_RUNTIME=0 -sENVIRONMENT=web,worker -sEXPORTED_RUNTIME_METHODS=FS)
if(VELMORA_WEB_THREADS)
  add_compile_options(-pthread)
  add_link_options(-pthread)
  # Shared memory cannot grow cheaply: all of it at once (the music decoded whole is 56 MB). The
  # threads of the pool and the music's decoder are ready before the show asks for them.
  list(APPEND PLATFORM_LINKS_program -sINITIAL_MEMORY=256MB -sPTHREAD_POOL_SIZE=navigator.hardwareConcurrency+1)
  set(CMAKE_EXECUTABLE_SUFFIX -threads.js)
else()
  list(APPEND PLATFORM_LINKS_program -sINITIAL_MEMORY=128MB -sALLOW_MEMORY_GROWTH=1)
  set(CMAKE_EXECUTABLE_SUFFIX .js)
endif()
