#include "capture/bench_plot.h"

#include <allegro.h>
#include <loadpng.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "effects/pixels.h"

namespace Zorvek::capture {

namespace {

// The plot area inside the picture, and the bottom of its scale.
constexpr int LEFT = 64, RIGHT = PLOT_WIDTH - 24, TOP = 48, BOTTOM = PLOT_HEIGHT - 44;
constexpr double LOWEST_MS = 0.05;

int colour(pixels::Pixel rgb) {
    return makecol_depth(24, pixels::redOf(rgb), pixels::greenOf(rgb), pixels::blueOf(rgb));
}

constexpr int BACKGROUND = 0x14181C, AREA = 0x1C2228, GRID = 0x2E363E, TEXT = 0xC8D0D8, DIM = 0x8A949E;
constexpr int CHAPTER = 0x5A6470, PASS = 0x6CC4FF, MARK = 0xFFFFFF;

struct Budget {
    const char* name;
    double ms;
    int rgb;
};
constexpr Budget BUDGETS[] = {{"60 Hz", 1000.0 / 60, 0xFF6B6B},
                              {"144 Hz", 1000.0 / 144, 0xFFB347},
                              {"240 Hz", 1000.0 / 240, 0xFFE066}};

void clock(char* text, std::size_t size, int ms, bool withMs) {
    if (withMs) std::snprintf(text, size, "%02d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    else std::snprintf(text, size, "%d:%02d", ms / 60000, ms / 1000 % 60);
}

void dashedVline(BITMAP* b, int x, int y0, int y1, int c) {
    for (int y = y0; y <= y1; y += 6) vline(b, x, y, std::min(y + 2, y1), c);
}

struct Box {
    int x0, y0, x1, y1;
    bool overlaps(const Box& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

void drawScale(BITMAP* b, double top) {
    for (double decade = 0.1; decade <= top; decade *= 10)
        for (double step : {0.5, 1.0, 2.0}) {
            const double ms = decade * step;
            if (ms < LOWEST_MS || ms > top) continue;
            const int y = plotRow(ms, top);
            hline(b, LEFT, y, RIGHT, colour(GRID));
            char text[16];
            std::snprintf(text, sizeof text, ms < 1 ? "%.2g ms" : "%.0f ms", ms);
            textprintf_right_ex(b, font, LEFT - 6, y - 4, colour(DIM), -1, "%s", text);
        }
}

void drawTimeAxis(BITMAP* b, int from, int to) {
    const int step = to - from > 120000 ? 30000 : to - from > 20000 ? 5000 : 1000;
    for (int t = (from + step - 1) / step * step; t <= to; t += step) {
        const int x = plotColumn(t, from, to);
        vline(b, x, BOTTOM, BOTTOM + 4, colour(DIM));
        char text[16];
        clock(text, sizeof text, t, false);
        textout_centre_ex(b, font, text, x, BOTTOM + 8, colour(DIM), -1);
    }
    textout_right_ex(b, font, "music time", RIGHT, BOTTOM + 24, colour(DIM), -1);
}

void drawChapters(BITMAP* b, const BenchPlot& plot, int from, int to) {
    for (const ChapterMark& c : plot.chapters) {
        if (c.start < from || c.start > to) continue;
        const int x = plotColumn(c.start, from, to);
        dashedVline(b, x, TOP, BOTTOM, colour(CHAPTER));
        textout_ex(b, font, c.name.c_str(), x + 4, TOP + 4, colour(TEXT), -1);
    }
}

void drawBudgets(BITMAP* b, double top) {
    for (const Budget& budget : BUDGETS) {
        const int y = plotRow(budget.ms, top);
        hline(b, LEFT, y, RIGHT, colour(budget.rgb));
        textprintf_right_ex(b, font, RIGHT - 4, y - 10, colour(budget.rgb), -1, "%s: %.2f ms", budget.name, budget.ms);
    }
}

// Each slowest moment circled, with its time and music time beside it; a label moves up (or,
// near the top, down) until it clears the budgets' labels and the others.
void drawSlowest(BITMAP* b, const BenchPlot& plot, int from, int to, double top) {
    std::vector<Box> taken;
    for (const Budget& budget : BUDGETS) {
        const int y = plotRow(budget.ms, top);
        taken.push_back({RIGHT - 4 - 16 * 8, y - 11, RIGHT, y + 1});
    }
    for (const ChapterMark& c : plot.chapters) {
        const int x = plotColumn(c.start, from, to);
        taken.push_back({x, TOP, x + 4 + text_length(font, c.name.c_str()), TOP + 13});
    }
    const auto free = [&](const Box& box) {
        return box.y0 >= TOP && box.y1 <= BOTTOM &&
               std::none_of(taken.begin(), taken.end(), [&](const Box& o) { return box.overlaps(o); });
    };
    for (const Moment& m : plot.slowest) {
        const int x = plotColumn(m.time, from, to), y = plotRow(m.ms, top);
        circle(b, x, y, 4, colour(MARK));
        char when[24], text[48];
        clock(when, sizeof when, m.time, true);
        std::snprintf(text, sizeof text, "%.2f ms at %s", m.ms, when);
        const int width = text_length(font, text);
        const int x0 = x + 8 + width > RIGHT ? x - 8 - width : x + 8;
        Box box{};
        bool found = false;
        for (int shift = 0; shift < BOTTOM - TOP && !found; shift += 10)
            for (int y0 : {y - 14 - shift, y + 6 + shift}) {
                box = {x0, y0, x0 + width, y0 + 8};
                if ((found = free(box))) break;
            }
        if (!found) continue;  // no room left: the circle alone
        line(b, x, y, box.x0 < x ? box.x1 : box.x0, box.y0 < y ? box.y1 : box.y0, colour(DIM));
        textout_ex(b, font, text, box.x0, box.y0, colour(MARK), colour(AREA));
        taken.push_back(box);
    }
}

}  // namespace

double plotTop(const std::vector<double>& ms) {
    const double slowest = ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
    double top = 25;
    while (top < slowest * 1.2) top *= 2;
    return top;
}

int plotRow(double ms, double top) {
    const double clamped = std::clamp(ms, LOWEST_MS, top);
    const double at = (std::log10(clamped) - std::log10(LOWEST_MS)) / (std::log10(top) - std::log10(LOWEST_MS));
    return BOTTOM - static_cast<int>(std::lround(at * (BOTTOM - TOP)));
}

int plotColumn(int time, int from, int to) {
    if (to <= from) return LEFT;
    const double at = static_cast<double>(std::clamp(time, from, to) - from) / (to - from);
    return LEFT + static_cast<int>(std::lround(at * (RIGHT - LEFT)));
}

bool writeBenchPlot(const std::string& file, const BenchPlot& plot, std::string& error) {
    BITMAP* b = create_bitmap_ex(24, PLOT_WIDTH, PLOT_HEIGHT);
    if (!b) {
        error = "cannot make a picture for " + file;
        return false;
    }
    clear_to_color(b, colour(BACKGROUND));
    rectfill(b, LEFT, TOP, RIGHT, BOTTOM, colour(AREA));
    const int from = plot.times.empty() ? 0 : plot.times.front();
    const int to = plot.times.empty() ? 0 : plot.times.back();
    const double top = plotTop(plot.ms);
    drawScale(b, top);
    drawChapters(b, plot, from, to);
    drawTimeAxis(b, from, to);
    for (std::size_t i = 0; i < plot.times.size() && i < plot.ms.size(); ++i)
        putpixel(b, plotColumn(plot.times[i], from, to), plotRow(plot.ms[i], top), colour(PASS));
    drawBudgets(b, top);
    drawSlowest(b, plot, from, to, top);
    textout_ex(b, font, plot.title.c_str(), LEFT, 12, colour(TEXT), -1);
    textout_ex(b, font, "pass time (log scale), one dot per pass", LEFT, 28, colour(DIM), -1);
    rect(b, LEFT, TOP, RIGHT, BOTTOM, colour(GRID));
    const bool written = save_png(file.c_str(), b, nullptr) == 0;
    destroy_bitmap(b);
    if (!written) error = "cannot write " + file;
    return written;
}

}  // namespace Zorvek::capture
