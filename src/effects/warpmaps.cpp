#include "effects/warpmaps.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "effects/pixels.h"
#include "demo/demo.h"
#include "process/pass_rate.h"

namespace Zorvek {

namespace {

constexpr float HALF_PI_F = static_cast<float>(std::numbers::pi / 2);
constexpr int ROW_BITS = 16;
constexpr pixels::Pixel ROW_MASK = 0xFFFF;

inline pixels::Pixel entry(int column, int row) {
    return static_cast<pixels::Pixel>(column) << ROW_BITS | static_cast<pixels::Pixel>(row);
}

// frame[y][x] = source[row][column] for each map entry column << 16 | row.
template <bool CLAMP>
void gather(BITMAP* map, BITMAP* source, BITMAP* frame, WorkerPool& workers) {
    const int width = std::min(map->w, frame->w), height = std::min(map->h, frame->h);
    const unsigned lastColumn = static_cast<unsigned>(source->w - 1);
    const unsigned lastRow = static_cast<unsigned>(source->h - 1);
    const pixels::Pixel* const* sourceRows = reinterpret_cast<const pixels::Pixel* const*>(source->line);
    const auto rows = [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const pixels::Pixel* in = pixels::row(map, y);
            pixels::Pixel* out = pixels::row(frame, y);
            for (int x = 0; x < width; ++x) {
                const pixels::Pixel e = in[x];
                const unsigned column = CLAMP ? std::min(e >> ROW_BITS, lastColumn) : e >> ROW_BITS;
                const unsigned row = CLAMP ? std::min(e & ROW_MASK, lastRow) : e & ROW_MASK;
                out[x] = sourceRows[row][column];
            }
        }
    };
    // A warp that meets its own frame (one used twice in a pass) reads pixels it has already
    // moved, so its rows keep their order.
    if (source == frame) rows(0, height);
    else workers.forEachRowBand(0, height, rows);
}

}  // namespace

void WarpmapEffect::start() {
    frame = demo->display.borrowScratch();
    running = true;
    map = demo->display.borrowScratch();
    update(0);
    if (usePreparedMap()) return;
    computeMap();
    measureMap();
}

void WarpmapEffect::prepare() {
    MapSettings settings;
    if (!mapSettings(settings) || map) return;
    Display& display = demo->display;
    if (prepared && preparedWidth == display.width && preparedHeight == display.height && preparedSettings == settings)
        return;
    // Built in a scratch frame as start() would, while none is lent out for the show.
    map = display.borrowScratch();
    computeMap();
    measureMap();
    const int w = map->w, h = map->h;
    prepared = std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) std::copy_n(pixels::row(map, y), w, prepared.get() + static_cast<std::size_t>(y) * w);
    preparedWidth = w;
    preparedHeight = h;
    preparedSettings = settings;
    preparedColumns = mapColumns;
    preparedRows = mapRows;
    display.returnScratch(map);
    map = nullptr;
}

bool WarpmapEffect::usePreparedMap() {
    MapSettings settings;
    if (!prepared || map->w != preparedWidth || map->h != preparedHeight || !mapSettings(settings) ||
        !(settings == preparedSettings))
        return false;
    for (int y = 0; y < map->h; ++y)
        std::copy_n(prepared.get() + static_cast<std::size_t>(y) * preparedWidth, preparedWidth, pixels::row(map, y));
    mapColumns = preparedColumns;
    mapRows = preparedRows;
    return true;
}

bool WarpmapEffect::mapSettings(MapSettings&) const { return false; }

void WarpmapEffect::measureMap() {
    unsigned columns = 0, rows = 0;
    for (int y = 0; y < map->h; ++y) {
        const pixels::Pixel* in = pixels::row(map, y);
        for (int x = 0; x < map->w; ++x) {
            columns = std::max(columns, (in[x] >> ROW_BITS) + 1);
            rows = std::max(rows, (in[x] & ROW_MASK) + 1);
        }
    }
    mapColumns = static_cast<int>(columns);
    mapRows = static_cast<int>(rows);
}

void WarpmapEffect::stop() {
    demo->display.returnScratch(frame);
    running = false;
    demo->display.returnScratch(map);
    map = nullptr;
}

void WarpmapEffect::computeMap() {}

void WarpmapEffect::render() {
    BITMAP* const source = pop();
    if (!source) {
        // Nothing below but the stack's null floor: the pass ends with the underflow failure,
        // which needs the stack as a filter leaves it, not a crash here.
        push(frame);
        return;
    }
    // A source that holds every address of the map is read directly; otherwise (a map that was
    // never filled, a smaller frame below) each address is clamped to the source.
    if (source->w >= mapColumns && source->h >= mapRows) gather<false>(map, source, frame, demo->workers);
    else gather<true>(map, source, frame, demo->workers);
    push(frame);
}

const char* WarpmapEffect::name() { return "Warpmap"; }

int RotatingWarpmapEffect::refreshRate() const {
    const int rate = demo->display.refreshRate;
    return rate <= 0 ? PASSES_PER_SECOND : rate;
}

bool RotatingWarpmapEffect::mapSettings(MapSettings& settings) const {
    settings = {__builtin_bit_cast(std::uint32_t, angle), __builtin_bit_cast(std::uint32_t, scale), refreshRate()};
    return true;
}

void RotatingWarpmapEffect::computeMap() {
    const int width = map->w, height = map->h;
    const int rate = refreshRate();
    const float k = static_cast<float>(PASSES_PER_SECOND) / static_cast<float>(rate);
    const double turn = static_cast<double>(angle) * k;
    for (int y = 0; y < height; ++y) {
        pixels::Pixel* out = pixels::row(map, y);
        const float v = static_cast<float>(y - height / 2) / static_cast<float>(height);
        for (int x = 0; x < width; ++x) {
            const float u = static_cast<float>(x - width / 2) / static_cast<float>(height);
            const float r = static_cast<float>(std::sqrt(static_cast<double>(u) * u + static_cast<double>(v) * v));
            int dx = 0, dy = 0;
            if (r != 0.0f) {
                const double a =
                    u != 0.0f ? std::atan(static_cast<double>(v) / u) : (v > 0.0f ? HALF_PI_F : -HALF_PI_F);
                const float theta = static_cast<float>(a + turn);
                // atan only covers the right half-plane; a negative radius mirrors the left.
                double rho = static_cast<double>(r) * scale;
                if (u < 0.0f) rho = -rho;
                dx = static_cast<int>(height * static_cast<double>(static_cast<float>(rho * std::cos(theta))));
                dy = static_cast<int>(height * static_cast<double>(static_cast<float>(rho * std::sin(theta))));
            }
            out[x] = entry(std::clamp(width / 2 + dx, 0, width - 1), std::clamp(height / 2 + dy, 0, height - 1));
        }
    }
}

const char* RotatingWarpmapEffect::name() { return "Rotating Warpmap"; }

void SinusWarpmapEffect::computeMap() {
    const int width = map->w, height = map->h;
    // The column shift depends on the row only and the row shift on the column only, so each
    // wave is evaluated once per row or column; its values are those of the per-pixel formula.
    constexpr int BLOCK = 512;
    float waveY[BLOCK];
    for (int x0 = 0; x0 < width; x0 += BLOCK) {
        const int n = std::min(BLOCK, width - x0);
        for (int i = 0; i < n; ++i) {
            const float q = static_cast<float>(x0 + i - width / 2) / static_cast<float>(height);
            waveY[i] = static_cast<float>(std::cos(std::numbers::pi * q));
        }
        for (int y = 0; y < height; ++y) {
            const float waveX =
                static_cast<float>(std::sin(std::numbers::pi * (y - height / 2) / height + std::numbers::pi / 2));
            pixels::Pixel* out = pixels::row(map, y) + x0;
            for (int i = 0; i < n; ++i) {
                int column = static_cast<int>(x0 + i + 8.0 * waveX);
                int row = static_cast<int>(y + 8.0 * waveY[i]);
                if (column < 0) column += width;
                if (row < 0) row += height;
                out[i] = entry(column % width, row % height);
            }
        }
    }
}

bool SinusWarpmapEffect::mapSettings(MapSettings& settings) const {
    settings = {};
    return true;
}

const char* SinusWarpmapEffect::name() { return "Sinus Warpmap"; }

}  // namespace Zorvek
