#include "sheets.h"

#include <allegro.h>
#include <loadpng.h>

#include <cstdint>
#include <filesystem>

namespace review {

namespace {

constexpr int HALF = 500, COLUMNS = 10, PAD = 4, LABEL = 10, TITLE = 14;

std::uint32_t& at(BITMAP* b, int x, int y) { return reinterpret_cast<std::uint32_t*>(b->line[y])[x]; }

// The frame at half size, each pixel the mean of four.
BITMAP* halved(BITMAP* frame) {
    BITMAP* out = create_bitmap_ex(32, frame->w / 2, frame->h / 2);
    for (int y = 0; y < out->h; ++y)
        for (int x = 0; x < out->w; ++x) {
            unsigned sum[3] = {0, 0, 0};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const std::uint32_t p = at(frame, 2 * x + dx, 2 * y + dy);
                    sum[0] += (p >> 16) & 0xFF;
                    sum[1] += (p >> 8) & 0xFF;
                    sum[2] += p & 0xFF;
                }
            at(out, x, y) = (sum[0] / 4) << 16 | (sum[1] / 4) << 8 | sum[2] / 4;
        }
    return out;
}

}  // namespace

ShowSheets::ShowSheets(const std::vector<Chapter>& chapters) {
    for (const Chapter& c : chapters) pages.push_back({c, c.start, {}});
}

ShowSheets::~ShowSheets() {
    for (Page& p : pages)
        for (Shot& s : p.shots) destroy_bitmap(s.picture);
}

void ShowSheets::offer(int ms, BITMAP* frame) {
    for (Page& p : pages) {
        if (ms < p.next || p.next >= p.chapter.end) continue;
        p.shots.push_back({ms, halved(frame)});
        while (p.next <= ms) p.next += HALF;
    }
}

bool ShowSheets::write(const std::string& folder, std::string& error) const {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const Page& p : pages) {
        if (p.shots.empty()) continue;
        const int w = p.shots[0].picture->w, h = p.shots[0].picture->h;
        const int rows = (static_cast<int>(p.shots.size()) + COLUMNS - 1) / COLUMNS;
        BITMAP* sheet = create_bitmap_ex(32, PAD + COLUMNS * (w + PAD), TITLE + PAD + rows * (h + LABEL + PAD));
        clear_to_color(sheet, makecol32(24, 24, 32));
        textprintf_ex(sheet, font, PAD, PAD, makecol32(255, 255, 255), -1, "%s  %d.%03d - %d.%03d s",
                      p.chapter.name.c_str(), p.chapter.start / 1000, p.chapter.start % 1000, p.chapter.end / 1000,
                      p.chapter.end % 1000);
        for (std::size_t i = 0; i < p.shots.size(); ++i) {
            const int x = PAD + static_cast<int>(i % COLUMNS) * (w + PAD);
            const int y = TITLE + PAD + static_cast<int>(i / COLUMNS) * (h + LABEL + PAD);
            blit(p.shots[i].picture, sheet, 0, 0, x, y, w, h);
            const int ms = p.shots[i].ms;
            textprintf_ex(sheet, font, x, y + h + 1, makecol32(200, 200, 200), -1, "%d.%03d", ms / 1000, ms % 1000);
        }
        for (int y = 0; y < sheet->h; ++y)
            for (int x = 0; x < sheet->w; ++x) at(sheet, x, y) |= 0xFF000000u;  // save_png writes the top byte as alpha
        const std::string path = (std::filesystem::path(folder) / ("sheet_" + p.chapter.name + ".png")).string();
        const bool saved = save_png(path.c_str(), sheet, nullptr) == 0;
        destroy_bitmap(sheet);
        if (!saved) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

}  // namespace review
