// The show as a browser plays it: every animation frame of the page runs one refresh, and the
// page's events come between them. Nothing here waits: the browser's own loop drives the passes.
// A tab that is hidden gets no animation frames while its music plays on; shown again, the next
// pass takes the music's time and the show goes on in step with it.
#include <emscripten/html5.h>

#include "page_input.h"
#include "process/time.h"
#include "runtime/run_demo.h"
#include "runtime/show_play.h"

namespace Zorvek {

namespace {
ShowPlay* playing = nullptr;

EM_BOOL animationFrame(double, void*) {
    if (playing->over()) {
        feedPageInput(nullptr);
        playing->end();
        return EM_FALSE;
    }
    playing->refresh(monotonicNow());
    return EM_TRUE;
}
}  // namespace

void runDemo(Demo& demo) {
    // Made once, for the page's life: the show plays until the page goes.
    static ShowPlay play(demo);
    playing = &play;
    feedPageInput(&play.input);
    emscripten_request_animation_frame_loop(animationFrame, nullptr);
}

}  // namespace Zorvek
