#include "platform/sound/track.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace Zorvek::sound {

namespace {
constexpr int CHUNK = 4800;      // 100 ms: the unit in which decoded frames are published
constexpr int STEP = 5 * CHUNK;  // decoded by a pass where there is no thread: a few ms of work
// A decoder's stack: the library's renderer keeps its mixing buffers there.
constexpr std::size_t DECODER_STACK = 8 << 20;

// The program may exit (a fatal message, the end of the show) while a track is still decoding.
// Decoding stops before the process tears down its static objects, which the decoder may use.
// The tracks belong to the process that loaded them: a forked child has no decoder threads.
struct Decoders {
    std::mutex lock;
    std::vector<Track*> tracks;
    pid_t process = 0;
} decoders;

void stopDecodingAtExit() {
    std::lock_guard<std::mutex> guard(decoders.lock);
    if (decoders.process != getpid()) return;
    for (Track* t : decoders.tracks) t->stopDecoding();
}

void enrol(Track* track) {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(stopDecodingAtExit); });
    std::lock_guard<std::mutex> guard(decoders.lock);
    if (decoders.process != getpid()) {
        decoders.process = getpid();
        decoders.tracks.clear();
    }
    decoders.tracks.push_back(track);
}

void withdraw(Track* track) {
    std::lock_guard<std::mutex> guard(decoders.lock);
    std::erase(decoders.tracks, track);
}
}  // namespace

Track::~Track() {
    stopDecoding();
    withdraw(this);
}

void Track::stopDecoding() {
    cancelled.store(true);
    if (worker.joinable()) worker.join();
}

bool Track::load(const std::uint8_t* data, std::size_t size, Decoding decoding) {
    outOfMemory = false;
    if (!decoder.open(data, size)) return false;
    frames = decoder.lengthFrames();
    // A module can claim hours of play; one too long for memory is refused, not thrown.
    pcm.reset(new (std::nothrow) std::int16_t[static_cast<std::size_t>(frames) * CHANNELS]);
    outOfMemory = !pcm;
    if (!pcm) return false;
    ready.store(0);
    stepping = false;
    if (decoding == Decoding::Now) {
        decodeAll();
    } else {
        enrol(this);
        stepping = !worker.start([this] { decodeAll(); }, DECODER_STACK);
    }
    return true;
}

void Track::decodeAll() { decodeUntil(frames); }

void Track::decodeStep() {
    if (stepping) decodeUntil(std::min<std::int64_t>(decoded() + STEP, frames));
}

void Track::decodeUntil(std::int64_t end) {
    std::int64_t done = decoded();
    while (done < end && !cancelled.load(std::memory_order_relaxed)) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(CHUNK, end - done));
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
