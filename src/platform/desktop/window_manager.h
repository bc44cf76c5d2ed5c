#pragma once
// Whether the desktop under a window can switch it between window and fullscreen by itself.

struct SDL_Window;

namespace Zorvek {

// True when SDL_SetWindowFullscreen on `window` is carried out by the desktop: on Wayland and
// every other window system SDL drives, and on X11 when a window manager runs (one that announces
// itself on the root window, as every current one does). A bare X server has none: it would leave
// a window that asks to be fullscreen at its old size.
bool switchesFullscreenInPlace(SDL_Window* window);

// The colour depth of the X screen under `window`, in bits; 0 when it is no X window. SDL itself
// knows no format for depths it cannot draw on (8 bits).
int x11ScreenDepth(SDL_Window* window);

// Whether OpenGL may be drawn by a graphics card here, known without making a renderer, which on
// the processor costs more memory than the whole show.
bool mayHaveGraphicsCard();

}  // namespace Zorvek
