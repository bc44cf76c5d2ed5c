#include "platform/sound/play_clock.h"

#include <algorithm>

namespace Zorvek::sound {

namespace {
constexpr double SMOOTHING = 0.125;    // callbacks arrive with jitter; average a few of them
constexpr double CORRECTION_NS = 1e9;  // close a difference over about a second
}  // namespace

void PlayClock::set(double frame, std::int64_t now, bool run) {
    base = frame;
    since = now;
    running = run;
    pace = 1;
    error = 0;
    last = base;
}

void PlayClock::shift(double frames, std::int64_t now) {
    base = at(now) + frames;
    since = now;
    error = 0;
}

double PlayClock::at(std::int64_t now) const {
    if (!running) return base;
    return base + static_cast<double>(now - since) * rate * pace;
}

double PlayClock::read(std::int64_t now) {
    last = std::max(last, at(now));
    return last;
}

void PlayClock::steer(double deviceFrame, std::int64_t now) {
    if (!running) return;
    double frame = at(now);
    error += (deviceFrame - frame - error) * SMOOTHING;
    base = frame;
    since = now;
    pace = 1 + std::clamp(error / (CORRECTION_NS * rate), -MAX_STEER, MAX_STEER);
}

}  // namespace Zorvek::sound
