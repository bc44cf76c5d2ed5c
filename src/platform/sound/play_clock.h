#pragma once
// The playback clock: which frame of the track is being heard at a given moment of a monotonic
// clock. It runs on that monotonic clock, so it is smooth between audio callbacks, and the callbacks
// steer its speed by a fraction of a percent toward the device's own clock, so that over minutes it
// keeps to what is heard instead of drifting. It has no end: past the track's last frame it runs on
// in silence, so the show's time never stands still while the music is over.

#include <cstdint>

namespace Zorvek::sound {

class PlayClock {
public:
    static constexpr double MAX_STEER = 0.02;  // at most 2 % faster or slower than real time

    explicit PlayClock(double framesPerSecond) : rate(framesPerSecond * 1e-9) {}

    // Moves the clock to `frame` at `now` (ns), running or standing; a `now` still to come holds
    // it at `frame` until then. Readings may go backwards only here.
    void set(double frame, std::int64_t now, bool running);

    // Moves the clock by `frames` at `now` without a jump backwards in what read() reports: moved
    // back, it stands until it has caught up. For a better account of what is being heard.
    void shift(double frames, std::int64_t now);

    bool isRunning() const { return running; }
    // The clock's frame at `now`, with no memory of earlier readings.
    double at(std::int64_t now) const;
    // The frame reported at `now`: never less than the previous reading since the last set().
    double read(std::int64_t now);

    // Takes the device's account of the frame heard at `now` and adjusts the clock's speed so that
    // the difference fades over about a second. The clock stays continuous.
    void steer(double deviceFrame, std::int64_t now);
    double speed() const { return pace; }

private:
    double rate;  // frames per ns
    double base = 0;
    std::int64_t since = 0;
    double pace = 1;
    double error = 0;  // smoothed device-minus-clock, frames
    double last = 0;
    bool running = false;
};

}  // namespace Zorvek::sound
