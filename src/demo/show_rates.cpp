#include "demo/show_rates.h"

#include <allegro.h>

#include <algorithm>
#include <cstring>

namespace Zorvek {

std::uint64_t frameHash(BITMAP* frame) {
    // Four FNV-1a lanes, each over every fourth pixel of a row, so that the multiplies do not wait
    // for one another; folded together at the end.
    std::uint64_t lane[4] = {0xCBF29CE484222325ull, 0x84222325CBF29CE4ull, 0x9CE484222325CBF2ull,
                             0x2325CBF29CE48422ull};
    constexpr std::uint64_t PRIME = 0x100000001B3ull;
    const int width = frame->w, whole = width & ~3;
    for (int y = 0; y < frame->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(frame->line[y]);
        for (int x = 0; x < whole; x += 4)
            for (int k = 0; k < 4; ++k) lane[k] = (lane[k] ^ row[x + k]) * PRIME;
        for (int x = whole; x < width; ++x) lane[0] = (lane[0] ^ row[x]) * PRIME;
    }
    std::uint64_t h = lane[0];
    for (int k = 1; k < 4; ++k) h = (h ^ lane[k]) * PRIME;
    return h;
}

void ShowRates::refreshed(int passesRun, bool onScreen, Nanos now) {
    recentPasses[recentNext] = static_cast<unsigned char>(std::min(passesRun, 255));
    recentNext = (recentNext + 1) % RECENT;
    recentFilled = std::min(recentFilled + 1, RECENT);
    if (onScreen) refreshes.count(now);
}

double ShowRates::passesPerRefresh() const {
    int sum = 0;
    for (int i = 0; i < recentFilled; ++i) sum += recentPasses[i];
    return recentFilled > 0 ? static_cast<double>(sum) / recentFilled : 0.0;
}

void ShowRates::presented(BITMAP* frame, Nanos now) {
    if (!hashPictures || !frame) return;
    const std::uint64_t h = frameHash(frame);
    if (!haveHash || h != lastHash) pictures.count(now);
    lastHash = h;
    haveHash = true;
}

}  // namespace Zorvek
