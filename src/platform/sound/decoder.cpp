#include "platform/sound/decoder.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>

namespace Zorvek::sound {

Decoder::~Decoder() {
    if (module) openmpt_module_destroy(module);
}

bool Decoder::open(const std::uint8_t* data, std::size_t size) {
    if (module) openmpt_module_destroy(module);
    module = nullptr;
    frames = 0;
    if (!data || size == 0) return false;
    int error = 0;
    // Load problems reach the program as a failed open; the decoder's own log stays quiet.
    module = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                                nullptr, &error, nullptr, nullptr);
    if (!module) return false;
    openmpt_module_set_repeat_count(module, 0);  // play once
    // Reads return nothing at the song's end, without a fade-out tail.
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    // No dither: two renders of the same span must give the same samples.
    openmpt_module_ctl_set_integer(module, "dither", 0);
    double seconds = openmpt_module_get_duration_seconds(module);
    if (!(seconds > 0) || !(seconds <= MAX_MODULE_SECONDS)) {
        openmpt_module_destroy(module);
        module = nullptr;
        return false;
    }
    frames = std::llround(seconds * SAMPLE_RATE);
    return true;
}

std::size_t Decoder::render(std::int16_t* out, std::size_t count) {
    if (!module) return 0;
    std::size_t done = 0;
    // libopenmpt may hand back fewer frames than asked before the end; keep reading until it
    // gives none.
    while (done < count) {
        std::size_t n =
            openmpt_module_read_interleaved_stereo(module, SAMPLE_RATE, count - done, out + done * CHANNELS);
        if (n == 0) break;
        done += n;
    }
    return done;
}

void Decoder::skip(std::int64_t count) {
    std::int16_t scratch[1024 * CHANNELS];
    while (count > 0) {
        std::size_t n = render(scratch, static_cast<std::size_t>(std::min<std::int64_t>(count, 1024)));
        if (n == 0) return;
        count -= static_cast<std::int64_t>(n);
    }
}

}  // namespace Zorvek::sound
