#include "platform/sound/track.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace Zorvek::sound {

namespace {
constexpr int CHUNK = 4800;  // 100 ms: the unit in which decoded frames are published

// The program may exit (a fatal message, the end of the show) while a track is still decoding.
// Decoding stops before the process tears down its static objects, which the decoder may use.
// The count belongs to the process that started the workers: a forked child has none of them.
std::atomic<bool> exiting{false};
std::atomic<int> liveWorkers{0};
pid_t workerProcess = 0;

void stopWorkersAtExit() {
    exiting.store(true);
    if (getpid() != workerProcess) return;
    while (liveWorkers.load() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void countWorker() {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(stopWorkersAtExit); });
    if (workerProcess != getpid()) {
        workerProcess = getpid();
        liveWorkers.store(0);
    }
    liveWorkers.fetch_add(1);
}
}  // namespace

Track::~Track() {
    cancelled.store(true);
    if (worker.joinable()) worker.join();
}

bool Track::load(const std::uint8_t* data, std::size_t size, Decoding decoding) {
    if (!decoder.open(data, size)) return false;
    frames = decoder.lengthFrames();
    pcm.reset(new std::int16_t[static_cast<std::size_t>(frames) * CHANNELS]);
    ready.store(0);
    if (decoding == Decoding::Now) {
        decodeAll();
    } else {
        countWorker();
        worker = std::thread([this] {
            decodeAll();
            liveWorkers.fetch_sub(1);
        });
    }
    return true;
}

void Track::decodeAll() {
    std::int64_t done = 0;
    while (done < frames && !cancelled.load(std::memory_order_relaxed) &&
           !exiting.load(std::memory_order_relaxed)) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(CHUNK, frames - done));
        std::int16_t* at = pcm.get() + done * CHANNELS;
        std::size_t got = decoder.render(at, want);
        if (got < want) {
            // The module ended before its reckoned length: the rest of the track is silence.
            std::fill(at + got * CHANNELS, pcm.get() + frames * CHANNELS, std::int16_t{0});
            done = frames;
        } else {
            done += static_cast<std::int64_t>(got);
        }
        ready.store(done, std::memory_order_release);
    }
}

void Track::read(std::int64_t first, int count, std::int16_t* out) const {
    std::int64_t available = decoded();
    std::int64_t from = std::clamp<std::int64_t>(first, 0, available);
    std::int64_t to = std::clamp<std::int64_t>(first + count, 0, available);
    std::int16_t* p = out;
    std::int64_t before = std::clamp<std::int64_t>(from - first, 0, count);
    std::memset(p, 0, sizeof(std::int16_t) * CHANNELS * static_cast<std::size_t>(before));
    p += before * CHANNELS;
    if (to > from) {
        std::memcpy(p, pcm.get() + from * CHANNELS,
                    sizeof(std::int16_t) * CHANNELS * static_cast<std::size_t>(to - from));
        p += (to - from) * CHANNELS;
    }
    std::memset(p, 0, sizeof(std::int16_t) * static_cast<std::size_t>(out + count * CHANNELS - p));
}

}  // namespace Zorvek::sound
