// Fuzz target: a module as the sound layer takes it: the completeness check, the decoder's
// opening with its length bound, and a few moments of decoding at the start and after a jump.
#include <algorithm>
#include <cstdint>

#include "platform/sound/decoder.h"
#include "platform/sound/module_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Zorvek::sound;
    if (size > MAX_MODULE_BYTES || isTruncatedTrackerModule(data, size)) return 0;
    Decoder decoder;
    if (!decoder.open(data, size)) return 0;
    static std::int16_t pcm[SAMPLE_RATE / 10 * CHANNELS];
    decoder.render(pcm, SAMPLE_RATE / 10);
    decoder.skip(std::min<std::int64_t>(decoder.lengthFrames() / 2, SAMPLE_RATE));
    decoder.render(pcm, SAMPLE_RATE / 10);
    return 0;
}
