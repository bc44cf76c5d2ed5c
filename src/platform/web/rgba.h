#pragma once
// Frames are 0x00RRGGBB words; a page's canvas takes bytes red, green, blue, alpha.

#include <allegro.h>

#include <cstdint>

namespace Zorvek {

// Writes the frame's pixels to `out` (w × h × 4 bytes), opaque.
inline void toRgba(BITMAP* frame, std::uint8_t* out) {
    for (int y = 0; y < frame->h; ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(frame->line[y]);
        for (int x = 0; x < frame->w; ++x, out += 4) {
            out[0] = static_cast<std::uint8_t>(in[x] >> 16);
            out[1] = static_cast<std::uint8_t>(in[x] >> 8);
            out[2] = static_cast<std::uint8_t>(in[x]);
            out[3] = 0xFF;
        }
    }
}

}  // namespace Zorvek
