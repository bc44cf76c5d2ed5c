#pragma once
// The one channel: the track it plays, the playback clock, and the device's read position, shared
// between the program's thread and the audio callback behind one short lock. Every call holds the
// lock only to copy a few numbers or one device buffer, so neither side ever waits long.

#include <cstdint>
#include <mutex>

#include "platform/sound/decoder.h"
#include "platform/sound/play_clock.h"

namespace Zorvek::sound {

class Track;

// The monotonic clock that all playback times are measured on, in ns.
std::int64_t monotonicNs();

class Player {
public:
    // When the device's read position and the clock differ by more than this, the device jumps to
    // the clock instead of the clock slowly following the device (a stall, an underrun).
    static constexpr int RESYNC_FRAMES = SAMPLE_RATE / 20;

    // `latency`: frames the device holds between a callback and the listener. `followDevice`:
    // whether the device's consumption is a real clock worth steering by (a sound card is; a
    // driver that only sleeps between callbacks is not).
    void configure(int latency, bool followDevice);

    // Plays `track` from its start. Unless `running` is false, the clock starts when the device
    // is first heard playing it, so that the very first frames are heard and not skipped.
    void start(const Track* track, bool running);
    // Stops playing `track` if it is the one playing.
    void stop(const Track* track);
    // Moves to `frame`; past the end the clock runs on in silence. False when nothing plays.
    bool seek(std::int64_t frame, std::int64_t now);
    // The frame being heard at `now`; false when nothing plays.
    bool heard(std::int64_t now, double& frame);

    // The audio callback: the next `count` interleaved stereo frames for the device.
    void fill(std::int16_t* out, int count, std::int64_t now);

private:
    std::mutex lock;
    PlayClock clock{SAMPLE_RATE};
    const Track* track = nullptr;
    std::int64_t cursor = 0;  // the next frame the device gets
    bool moved = false;       // a seek the device has not followed yet
    bool waiting = false;     // started: the clock stands until the device's first callback
    int latency = 0;
    bool followDevice = false;
};

}  // namespace Zorvek::sound
