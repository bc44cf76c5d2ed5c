#include "window_manager.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <glob.h>

#include <cstdlib>
#include <cstring>

namespace Zorvek {

namespace {
// Xlib is SDL's, loaded by SDL itself: it is looked up, not linked.
template <typename F>
F xlib(const char* name) {
    static void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    return library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
}

bool hasWindowManager(Display* display) {
    auto internAtom = xlib<Atom (*)(Display*, const char*, Bool)>("XInternAtom");
    auto rootOf = xlib<Window (*)(Display*)>("XDefaultRootWindow");
    auto getProperty = xlib<int (*)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                                    unsigned long*, unsigned char**)>("XGetWindowProperty");
    auto release = xlib<int (*)(void*)>("XFree");
    if (!internAtom || !rootOf || !getProperty || !release) return false;
    // An EWMH window manager names its check window on the root window.
    const Atom check = internAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    const bool found = getProperty(display, rootOf(display), check, 0, 1, False, AnyPropertyType, &type, &format,
                                   &items, &left, &data) == Success &&
                       items == 1;
    if (data) release(data);
    return found;
}
}  // namespace

int x11ScreenDepth(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    auto defaultScreen = xlib<int (*)(Display*)>("XDefaultScreen");
    auto depthOf = xlib<int (*)(Display*, int)>("XDefaultDepth");
    return defaultScreen && depthOf ? depthOf(info.info.x11.display, defaultScreen(info.info.x11.display)) : 0;
}

bool switchesFullscreenInPlace(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info)) return false;
    if (info.subsystem != SDL_SYSWM_X11) return true;
    return hasWindowManager(info.info.x11.display);
}

// Not without a render node (or NVIDIA's own device), nor when Mesa is told to draw on the
// processor.
bool mayHaveGraphicsCard() {
    const char* software = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (software && *software && std::strcmp(software, "0") != 0) return false;
    glob_t found;
    const bool any =
        glob("/dev/dri/renderD*", 0, nullptr, &found) == 0 || glob("/dev/nvidiactl", 0, nullptr, &found) == 0;
    globfree(&found);
    return any;
}

}  // namespace Zorvek
