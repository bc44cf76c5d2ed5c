#include "platform/sound/player.h"

#include <chrono>
#include <cmath>
#include <cstring>

#include "process/running_time.h"
#include "platform/sound/track.h"

namespace Zorvek::sound {

void Player::configure(int frames, bool follow) {
    std::lock_guard<std::mutex> guard(lock);
    latency = frames;
    followDevice = follow;
    device = true;
    moved = true;
}

void Player::setLatency(int frames, std::int64_t now) {
    std::lock_guard<std::mutex> guard(lock);
    if (clock.isRunning() && device) clock.shift(latency - frames, now);
    latency = frames;
}

void Player::setExtraDelay(int frames, std::int64_t now) {
    std::lock_guard<std::mutex> guard(lock);
    if (clock.isRunning()) clock.shift(extraDelay - frames, now);
    extraDelay = frames;
}

void Player::deviceGone(std::int64_t now) {
    std::lock_guard<std::mutex> guard(lock);
    device = false;
    if (track && waiting) {
        clock.set(0, now, true);
        waiting = false;
    }
}

void Player::start(const Track* t, bool running) {
    std::lock_guard<std::mutex> guard(lock);
    track = t;
    clock.set(0, 0, false);
    moved = false;
    // Without a device the clock cannot wait for one: it starts now.
    waiting = running && device;
    if (running && !device) clock.set(0, runningNs(), true);
}

void Player::stop(const Track* t) {
    std::lock_guard<std::mutex> guard(lock);
    if (track == t) track = nullptr;
}

bool Player::seek(std::int64_t frame, std::int64_t now) {
    std::lock_guard<std::mutex> guard(lock);
    if (!track) return false;
    clock.set(static_cast<double>(frame), now, clock.isRunning());
    moved = true;
    return true;
}

bool Player::heard(std::int64_t now, double& frame) {
    std::lock_guard<std::mutex> guard(lock);
    if (!track) return false;
    frame = clock.read(now);
    return true;
}

void Player::fill(std::int16_t* out, int count, std::int64_t now) {
    std::lock_guard<std::mutex> guard(lock);
    // The listener's own delay counts as the device's.
    const int latency = this->latency + extraDelay;
    if (track && waiting && device) {
        // The first frame of this buffer is heard `latency` frames from now: the clock runs
        // from there.
        double from = clock.at(now);
        clock.set(from, now + static_cast<std::int64_t>(latency * (1e9 / SAMPLE_RATE)), true);
        cursor = static_cast<std::int64_t>(std::llround(from));
        waiting = false;
        moved = false;
    }
    if (!track || !clock.isRunning() || !device) {
        std::memset(out, 0, sizeof(std::int16_t) * CHANNELS * static_cast<std::size_t>(count));
        return;
    }
    // What this callback writes is heard `latency` frames after the frame heard now.
    double frame = clock.at(now);
    auto deviceFrom = [&] { return static_cast<std::int64_t>(std::llround(frame)) + latency; };
    if (moved) {
        cursor = deviceFrom();
        moved = false;
    } else if (frame < static_cast<double>(track->length())) {
        double deviceHeard = static_cast<double>(cursor - latency);
        if (std::fabs(deviceHeard - frame) > RESYNC_FRAMES) {
            cursor = deviceFrom();
        } else if (followDevice) {
            clock.steer(deviceHeard, now);
        }
    }
    track->read(cursor, count, out);
    cursor += count;
}

}  // namespace Zorvek::sound
