#include "demo/show_rates.h"

#include <allegro.h>

#include <cstring>

namespace Zorvek {

std::uint64_t frameHash(BITMAP* frame) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    const int width = frame->w;
    for (int y = 0; y < frame->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(frame->line[y]);
        for (int x = 0; x < width; ++x) h = (h ^ row[x]) * 0x100000001B3ull;
    }
    return h;
}

void ShowRates::presented(BITMAP* frame, Nanos now) {
    if (!hashPictures || !frame) return;
    const std::uint64_t h = frameHash(frame);
    if (!haveHash || h != lastHash) pictures.count(now);
    lastHash = h;
    haveHash = true;
}

}  // namespace Zorvek
