#pragma once
// The whole module decoded to PCM before it is heard. Decoding runs on a thread of its own, about a
// thousand times faster than playback, so the show starts at once; playing, seeking and the
// spectrum then only ever read memory, and a seek lands on the exact sample. Where no thread can
// be had (a page without threads), it runs half a second of music at a time, once per pass.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include "platform/sound/decoder.h"
#include "process/small_thread.h"

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

    // Where the track decodes without a thread: the next stretch of it. Once per pass.
    void decodeStep();

    // Copies `count` interleaved stereo frames from `first` on; frames before the start, past the
    // end or not decoded yet are silence.
    void read(std::int64_t first, int count, std::int16_t* out) const;

private:
    void decodeAll();
    // Decodes from what is ready up to `end`.
    void decodeUntil(std::int64_t end);

    Decoder decoder;
    // Left uninitialised: nothing reads past `ready`, and the decoder, not the loading thread,
    // pays for touching the pages.
    std::unique_ptr<std::int16_t[]> pcm;
    std::int64_t frames = 0;
    bool outOfMemory = false;
    std::atomic<std::int64_t> ready{0};
    std::atomic<bool> cancelled{false};
    bool stepping = false;  // decoded by decodeStep(), no thread
    SmallThread worker;
};

}  // namespace Zorvek::sound
