#include "runtime/show_play.h"

#include "demo/demo.h"
#include "process/fail.h"
#include "process/requests.h"

namespace Zorvek {

ShowPlay::ShowPlay(Demo& demo) : input(monotonicNow()), demo(demo), clock(demo.music), loop(demo, clock) {
    loop.quitAtEnd = demo.quitAtEnd;
    loop.steadyRefreshes = true;
    loop.begin();
    failOnOutOfMemory(EXIT_SOUND, "loading the music");
    demo.music.play();
    failOnOutOfMemory(EXIT_CAPACITY, "playing the show");
}

void ShowPlay::refresh(Nanos now) {
    input.advance(now);
    if (modeSwitchRequested) input.releaseAll();
    loop.switchModeIfRequested();
    loop.pass();
}

bool ShowPlay::over() const { return quitRequested; }

void ShowPlay::end() {
    demo.stoppedAt = loop.time;
    loop.end();
    demo.music.stopMusic();
}

}  // namespace Zorvek
