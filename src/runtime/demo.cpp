#include "runtime/demo.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "runtime/clock.h"
#include "runtime/controls.h"
#include "runtime/fail.h"
#include "runtime/main_loop.h"

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
        if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0)
            fail(EXIT_GRAPHICS, "Error initializing allegro.");
        resetControls();
        return;
    }

    if (_install_allegro_version_check(SYSTEM_AUTODETECT, &errno, std::atexit, ALLEGRO_4_4_0) != 0) {
        std::puts("Error initializing allegro.\n");
        std::exit(EXIT_GRAPHICS);
    }
    set_window_title("Zorvek");
    install_timer();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    install_keyboard();
    set_keyboard_rate(500, 100);
    LOCK_FUNCTION(keyboardHandler);
    LOCK_FUNCTION(timerHandler);
    LOCK_FUNCTION(closeHandler);
    keyboard_callback = keyboardHandler;
    set_close_button_callback(closeHandler);
    install_mouse();
    install_int(timerHandler, 100);
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

void Demo::run() {
    MusicClock clock(music);
    MainLoop loop(*this, clock);
    loop.begin();
    music.play();
    if (!quitRequested) {
        for (;;) {
            loop.switchModeIfRequested();
            loop.pass();
            if (quitRequested) break;
        }
    }
    loop.end();
    music.stopMusic();
}

}  // namespace Zorvek
