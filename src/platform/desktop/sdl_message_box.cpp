#include "sdl_message_box.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <cstring>

#include "process/message_box.h"

namespace Zorvek {

namespace {
SDL_Window* messageWindow = nullptr;

// A box needs a display; and a box waits for a click, which no test or unattended run gives.
bool messageBoxWanted() {
    const char* wanted = std::getenv("VELMORA_MESSAGE_BOX");
    if (wanted && std::strcmp(wanted, "0") == 0) return false;
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}
}  // namespace

void setMessageWindow(SDL_Window* window) { messageWindow = window; }

void showMessageBox(const char* message, bool fatal) {
    if (!messageBoxWanted()) return;
    // A fullscreen show would cover the box; at the end it has nothing more to show.
    if (fatal && messageWindow) SDL_HideWindow(messageWindow);
    SDL_ShowSimpleMessageBox(fatal ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING, "Zorvek", message,
                             fatal ? nullptr : messageWindow);
}

}  // namespace Zorvek
