#include "server_latency.h"

namespace Zorvek::sound {

// Windows' audio engine has no server between the program and the device that holds sound of
// its own: what lies ahead of the speaker is the device buffer that SDL reports.
std::int64_t serverLatencyUs(int) { return -1; }

}  // namespace Zorvek::sound
