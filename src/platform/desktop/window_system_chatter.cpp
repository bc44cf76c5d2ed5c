#include "window_system_chatter.h"

#include <dlfcn.h>

#include <SDL2/SDL.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "process/chatter.h"

namespace Zorvek {

namespace {
using LogHandler = void (*)(const char* format, va_list args);
using SetLogHandler = void (*)(LogHandler);

void quiet(const char*, va_list) {}
}  // namespace

void silenceWaylandChatter() {
    static bool done = false;
    if (done || libraryChatterWanted()) return;
    done = true;
    // Kept open for good: the handler must stay in place for as long as SDL uses the library.
    void* wayland = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!wayland) return;
    if (auto set = reinterpret_cast<SetLogHandler>(dlsym(wayland, "wl_log_set_handler_client"))) set(quiet);
}

bool quietForDecorations(bool startingVideo) {
    if (libraryChatterWanted()) return false;
    if (startingVideo) {
        const char* x = std::getenv("DISPLAY");
        return !(x && *x);
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

}  // namespace Zorvek
