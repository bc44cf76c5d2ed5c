#include "display/graphics_modes.h"

#include <allegro.h>

namespace Zorvek {

namespace {
// There is no DirectX here: the list walked is the X11 fullscreen driver's.
#ifdef GFX_XWINDOWS_FULLSCREEN
constexpr int MODE_LIST_DRIVER = GFX_XWINDOWS_FULLSCREEN;
#else
constexpr int MODE_LIST_DRIVER = GFX_AUTODETECT_FULLSCREEN;
#endif
}  // namespace

LibraryModes::~LibraryModes() {
    if (list) destroy_gfx_mode_list(list);
}

bool LibraryModes::set(bool windowed, int width, int height) {
    int driver = windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    return set_gfx_mode(driver, width, height, 0, 0) == 0;
}

std::span<const GFX_MODE> LibraryModes::fullscreenModes() {
    if (!list) list = get_gfx_mode_list(MODE_LIST_DRIVER);
    if (!list || list->num_modes <= 0) return {};  // a list that cannot be had counts as empty
    return {list->mode, static_cast<std::size_t>(list->num_modes)};
}

}  // namespace Zorvek
