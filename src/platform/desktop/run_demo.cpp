// Demo::run, the show as the program plays it: the music starts, and the window's input and the
// main loop's passes follow one another until the viewer quits. It is the main loop's, and lives
// with it: the Demo base holds the show's services, the program above it plays them.
#include "demo/demo.h"
#include "process/fail.h"
#include "process/requests.h"
#include "process/time.h"
#include "runtime/clock.h"
#include "runtime/input.h"
#include "runtime/main_loop.h"

namespace Zorvek {

void Demo::run() {
    MusicClock clock(music);
    MainLoop loop(*this, clock);
    loop.quitAtEnd = quitAtEnd;
    loop.steadyRefreshes = true;
    loop.begin();
    failOnOutOfMemory(EXIT_SOUND, "loading the music");
    music.play();
    failOnOutOfMemory(EXIT_CAPACITY, "playing the show");
    Input input(monotonicNow());
    if (!quitRequested) {
        for (;;) {
            input.poll(monotonicNow());
            if (modeSwitchRequested) input.releaseAll();
            loop.switchModeIfRequested();
            loop.pass();
            if (quitRequested) break;
        }
    }
    stoppedAt = loop.time;
    loop.end();
    music.stopMusic();
}

}  // namespace Zorvek
