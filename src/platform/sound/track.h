#pragma once
// The whole module decoded to PCM before it is heard. Decoding runs on a thread of its own, about a
// thousand times faster than playback, so the show starts at once; playing, seeking and the
// spectrum then only ever read memory, and a seek lands on the exact sample.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/sound/decoder.h"

namespace Zorvek::sound {

class Track {
public:
    enum class Decoding { Background, Now };

    Track() = default;
    ~Track();
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;

    // Opens the module and sizes the track; false when the data is no playable module. With
    // Decoding::Now the whole track is decoded before it returns.
    bool load(const std::uint8_t* data, std::size_t size, Decoding decoding);

    // Whether the last load failed for want of memory to decode into.
    bool lackedMemory() const { return outOfMemory; }

    std::int64_t length() const { return frames; }
    // Frames decoded so far, from the start; the rest of the track reads as silence until then.
    std::int64_t decoded() const { return ready.load(std::memory_order_acquire); }

    // Stops the decoder thread, leaving the rest of the track silent, and waits for it.
    void stopDecoding();

    // Copies `count` interleaved stereo frames from `first` on; frames before the start, past the
    // end or not decoded yet are silence.
    void read(std::int64_t first, int count, std::int16_t* out) const;

private:
    void decodeAll();

    Decoder decoder;
    // Left uninitialised: nothing reads past `ready`, and the decoder, not the loading thread,
    // pays for touching the pages.
    std::unique_ptr<std::int16_t[]> pcm;
    std::int64_t frames = 0;
    bool outOfMemory = false;
    std::atomic<std::int64_t> ready{0};
    std::atomic<bool> cancelled{false};
    std::thread worker;
};

}  // namespace Zorvek::sound
