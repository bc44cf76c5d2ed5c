#include "window_system_chatter.h"

namespace Zorvek {

// Windows has no Wayland library and no libdecor, and SDL draws its windows through the system's
// own: nothing to silence.
void silenceWaylandChatter() {}

bool quietForDecorations(bool) { return false; }

}  // namespace Zorvek
