// The show in a browser. The page fetches the two files into the working folder and starts the
// program, which builds the show, lets it script itself, shows its first picture and returns; the
// viewer's first click or key, which lets a browser start sound, starts the show and its music
// together (velmora_start). With "--capture" the page is a test's: the show is built as the
// offline capture builds it, and renders the capture's frames on request.
#include <emscripten.h>

#include <cstring>
#include <new>

#include "capture_frames.h"
#include "effects/instruction_sets.h"
#include "parallel/worker_pool.h"
#include "process/fail.h"
#include "process/show_random.h"
#include "runtime/clock.h"
#include "runtime/main_loop.h"
#include "runtime/run_demo.h"
#include "show/velmora.h"

namespace {

// clang-format off
EM_JS(void, pageReady, (), { velmoraPage.ready(); });
// clang-format on

// The demo object holds every effect and its tables by value: in static storage, built once.
Zorvek::Velmora& theShow() {
    alignas(Zorvek::Velmora) static unsigned char storage[sizeof(Zorvek::Velmora)];
    static Zorvek::Velmora* const show = new (storage) Zorvek::Velmora();
    return *show;
}

// The picture at the show's start, on the page while it waits for the viewer.
void showFirstPicture(Zorvek::Velmora& show) {
    Zorvek::ManualClock clock;
    Zorvek::MainLoop loop(show, clock);
    loop.begin();
    loop.pass();
    loop.end();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--capture") == 0) {
        Zorvek::prepareCapture();
        return 0;
    }
    Zorvek::instructionSets::usable();
    Zorvek::workerCount();
    Zorvek::failOnOutOfMemory(Zorvek::EXIT_CAPACITY, "starting up");
    Zorvek::Velmora& show = theShow();
    Zorvek::failOnOutOfMemory(Zorvek::EXIT_CAPACITY, "setting up the show");
    show.script();
    showFirstPicture(show);
    pageReady();
    return 0;
}

// The viewer's first gesture: the show and its music start. The random patterns are seeded from
// the clock, or with `seed` where one is given (not negative), as the capture's are.
extern "C" EMSCRIPTEN_KEEPALIVE void velmora_start(int seed) {
    if (seed >= 0) Zorvek::seedShowRand(static_cast<unsigned>(seed));
    Zorvek::runDemo(theShow());
}
