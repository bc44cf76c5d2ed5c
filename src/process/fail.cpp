#include "process/fail.h"

#include <SDL2/SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Zorvek {

namespace {

SDL_Window* messageWindow = nullptr;

// A box needs a display; and a box waits for a click, which no test or unattended run gives.
bool messageBoxWanted() {
    const char* wanted = std::getenv("VELMORA_MESSAGE_BOX");
    if (wanted && std::strcmp(wanted, "0") == 0) return false;
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

void showMessage(const char* message, bool fatal) {
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
    if (!messageBoxWanted()) return;
    // A fullscreen show would cover the box; at the end it has nothing more to show.
    if (fatal && messageWindow) SDL_HideWindow(messageWindow);
    SDL_ShowSimpleMessageBox(fatal ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING, "Zorvek", message,
                             fatal ? nullptr : messageWindow);
}

}  // namespace

void setMessageWindow(SDL_Window* window) { messageWindow = window; }

namespace {
int memoryCode = 0;
const char* memoryDoing = "";
}  // namespace

void failOnOutOfMemory(int code, const char* doing) {
    memoryCode = code;
    memoryDoing = doing;
    std::set_new_handler([] { fail(memoryCode, "Out of memory while %s.", memoryDoing); });
}

void warn(const char* message) { showMessage(message, false); }

void fail(int code, const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    showMessage(message, true);
    std::exit(code);
}

}  // namespace Zorvek
