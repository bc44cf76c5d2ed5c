#pragma once
// The module decoder: libopenmpt, set up once for the player and for the sound-track writer alike,
// so that both hear exactly the same samples.

#include <cstddef>
#include <cstdint>

struct openmpt_module;

namespace Zorvek::sound {

constexpr int SAMPLE_RATE = 48000;
constexpr int CHANNELS = 2;  // interleaved 16-bit stereo everywhere: decoder, track, device
// The whole module is decoded to memory before it is heard (about 11 MB a minute): a module that
// would play longer than this is refused rather than allowed to take the machine's memory.
constexpr double MAX_MODULE_SECONDS = 30 * 60;

class Decoder {
public:
    Decoder() = default;
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Opens a module held in memory; false when the data is no module the decoder can play, or
    // one that would play for longer than MAX_MODULE_SECONDS.
    bool open(const std::uint8_t* data, std::size_t size);

    // Frames from the start to the module's end, played once.
    std::int64_t lengthFrames() const { return frames; }

    // Renders the next `count` frames into `out`; returns how many it rendered (fewer at the end).
    std::size_t render(std::int16_t* out, std::size_t count);

    // Renders and drops `count` frames.
    void skip(std::int64_t count);

private:
    openmpt_module* module = nullptr;
    std::int64_t frames = 0;
};

}  // namespace Zorvek::sound
