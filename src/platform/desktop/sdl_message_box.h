#pragma once

struct SDL_Window;

namespace Zorvek {

// The window that message boxes belong to; null when there is none.
void setMessageWindow(SDL_Window* window);

}  // namespace Zorvek
