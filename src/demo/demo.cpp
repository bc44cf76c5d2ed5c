#include "demo/demo.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "process/fail.h"
#include "process/requests.h"
#include "process/show_random.h"
#include "process/program_name.h"

namespace Zorvek {

namespace {
constexpr int ALLEGRO_4_4_0 = 0x40400;
}

Demo::Demo(DemoMode mode) {
    loader.count = 0;
    timeline.cursor = 0;
    timeline.count = 0;
    frames[0] = nullptr;
    frameCount = 1;

    if (mode == DemoMode::Headless) {
        if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) fail(EXIT_GRAPHICS, "Error initializing allegro.");
        resetControls();
        return;
    }

    // The library draws into memory only; the window, its input and the pacing are SDL's.
    const bool installed = _install_allegro_version_check(SYSTEM_NONE, &errno, std::atexit, ALLEGRO_4_4_0) == 0;
    if (!installed || !Display::connect()) {
        std::puts("Error initializing allegro.\n");
        std::fflush(stdout);
        // The fixed line says only that the show cannot start; this one says why.
        const std::string why =
            installed ? Display::connectFailure() : std::string("the graphics library: ") + allegro_error;
        std::fprintf(stderr, "%s: %s\n", programName(), why.c_str());
        std::exit(EXIT_GRAPHICS);
    }
    display.title = "Zorvek";
    seedShowRand(static_cast<unsigned>(std::time(nullptr)));
    resetControls();
}

Demo::~Demo() {
    // The display's bitmaps go before the library: destroying a bitmap after allegro_exit()
    // dereferences the library's vanished system driver.
    display.destroyBitmaps();
    allegro_exit();
}

void Demo::script() {}

void Demo::setKeyJump(int scancode, int ms) { keyJump[scancode] = ms; }

}  // namespace Zorvek
