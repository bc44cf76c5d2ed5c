#include "audio_chatter.h"

#include <dlfcn.h>

#include "process/chatter.h"

namespace Zorvek::sound {

namespace {
// ALSA's snd_lib_error_handler_t.
using ErrorHandler = void (*)(const char* file, int line, const char* function, int err, const char* format, ...);
using SetErrorHandler = int (*)(ErrorHandler);

void quiet(const char*, int, const char*, int, const char*, ...) {}
}  // namespace

void silenceAudioChatter() {
    static bool done = false;
    if (done || libraryChatterWanted()) return;
    done = true;
    // Kept open for good: the handler must stay in place for as long as SDL uses the library.
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;
    if (auto set = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(quiet);
}

}  // namespace Zorvek::sound
