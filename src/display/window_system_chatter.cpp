#include "display/window_system_chatter.h"

#include <dlfcn.h>

#include <cstdarg>

namespace Zorvek {

namespace {
using LogHandler = void (*)(const char* format, va_list args);
using SetLogHandler = void (*)(LogHandler);

void quiet(const char*, va_list) {}
}  // namespace

void silenceWaylandChatter() {
    static bool done = false;
    if (done) return;
    done = true;
    // Kept open for good: the handler must stay in place for as long as SDL uses the library.
    void* wayland = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!wayland) return;
    if (auto set = reinterpret_cast<SetLogHandler>(dlsym(wayland, "wl_log_set_handler_client"))) set(quiet);
}

}  // namespace Zorvek
