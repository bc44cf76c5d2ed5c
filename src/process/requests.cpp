#include "process/requests.h"

namespace Zorvek {

SharedValue<int> keyJump[256];
SharedValue<int> jumpTo{-1};
SharedValue<int> seekDelta{0};
SharedValue<bool> quitRequested{false};
SharedValue<bool> modeSwitchRequested{false};
SharedValue<bool> showEvents{false};
SharedValue<bool> showFps{false};
SharedValue<bool> showClock{false};
SharedValue<bool> seeking{false};
SharedValue<bool> rewinding{false};
SharedValue<bool> freezeHeld{false};
SharedValue<bool> hideHeld{false};
SharedValue<bool> creditHeld{false};

void resetControls() {
    keyJump[0] = 0;
    for (int i = 1; i < 256; ++i) keyJump[i] = -1;
    jumpTo = -1;
    seekDelta = 0;
    quitRequested = false;
    modeSwitchRequested = false;
    showEvents = false;
    showFps = false;
    showClock = false;
    seeking = false;
    rewinding = false;
    freezeHeld = false;
    hideHeld = false;
    creditHeld = false;
}

}  // namespace Zorvek
