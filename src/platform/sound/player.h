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

// Every playback time, `now` included, is the process's running time (runningNs()): the monotonic
// clock less the time the process stood still, so that a stopped show carries on where it stood.
class Player {
public:
    // When the device's read position and the clock differ by more than this, the device jumps to
    // the clock instead of the clock slowly following the device (a stall, an underrun).
    static constexpr int RESYNC_FRAMES = SAMPLE_RATE / 20;

    // A device plays from now on. `latency`: frames between a callback and the listener.
    // `followDevice`: whether the device's consumption is a real clock worth steering by (a sound
    // card is; a driver that only sleeps between callbacks is not). A device that comes while the
    // track plays starts at the clock, where the music is by then.
    void configure(int latency, bool followDevice);
    // A better account of the device's latency, in frames: what is heard moves by the difference,
    // the device plays on without a break. The clock stands rather than runs back.
    void setLatency(int latency, std::int64_t now);
    // Frames the listener hears later than the device reports (a television, a wireless
    // headset): a lasting part of the latency, kept across devices. Negative: earlier.
    void setExtraDelay(int frames, std::int64_t now);
    // No device plays (none yet, or it was lost): the clock runs on in real time by itself.
    void deviceGone(std::int64_t now);

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
    int latency = 0;          // of the device
    int extraDelay = 0;       // the listener's own
    bool followDevice = false;
    bool device = false;  // a device pulls frames
};

}  // namespace Zorvek::sound
