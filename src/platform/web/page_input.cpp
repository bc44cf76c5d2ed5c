// The page's keyboard and mouse, handed over by its event handlers as the library's scancodes and
// button bits. The page keeps for itself what a browser allows only within the viewer's gesture
// (fullscreen on F11 and a double click; Esc leaves it) and what would leave the page.
#include <emscripten.h>

#include "page_input.h"
#include "process/time.h"
#include "runtime/input.h"

namespace Zorvek {

namespace {
Input* fed = nullptr;
}  // namespace

void feedPageInput(Input* input) { fed = input; }

}  // namespace Zorvek

using Zorvek::fed;

extern "C" {

EMSCRIPTEN_KEEPALIVE void velmora_key(int scancode, int down) {
    if (!fed) return;
    if (down) fed->press(scancode, Zorvek::monotonicNow());
    else fed->release(scancode);
}

EMSCRIPTEN_KEEPALIVE void velmora_buttons(int bits, int down) {
    if (!fed) return;
    if (down) fed->pressButtons(bits);
    else fed->releaseButtons(bits);
}

// The page lost the focus (another tab, another window): held keys would stay held.
EMSCRIPTEN_KEEPALIVE void velmora_release_all() {
    if (fed) fed->releaseAll();
}

}  // extern "C"
