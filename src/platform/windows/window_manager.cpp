#include "window_manager.h"

namespace Zorvek {

// Windows itself switches a window to fullscreen and back.
bool switchesFullscreenInPlace(SDL_Window*) { return true; }

// There is no X screen under a window on Windows.
int x11ScreenDepth(SDL_Window*) { return 0; }

// Windows draws OpenGL through the display adapter's driver; where it has none but its own, the
// renderer's name says so once it is made.
bool mayHaveGraphicsCard() { return true; }

}  // namespace Zorvek
