#pragma once
// How far behind this process's playback the sound server is, asked of the server itself: what
// a PulseAudio server (or PipeWire's PulseAudio service) holds of our stream in its buffer plus
// the latency of the sink it plays on. SDL's audio offers no such call, and on a server the two
// together can be ten times the one buffer the callback fills.

#include <cstdint>

namespace Zorvek::sound {

// Microseconds between a sample reaching the server and its being heard, averaged over a few of
// the program's callbacks (about 50 ms of readings); -1 when there is no such server, it does not
// answer within `timeoutMs`, or it plays no stream of this process. Blocks for the answer: call
// it from a thread of its own.
std::int64_t serverLatencyUs(int timeoutMs);

}  // namespace Zorvek::sound
