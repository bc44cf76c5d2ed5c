#include "frames.h"

#include <allegro.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "resources/png_file.h"

namespace review {

double lumaOf(unsigned p) { return 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF); }

bool readFrames(const std::string& folder, int fromMs, int fps, std::vector<FrameLight>& light,
                const std::function<void(int ms, BITMAP* frame)>& visit, std::string& error) {
    light.clear();
    std::vector<float> previous;
    for (long n = 0;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06ld.png", n);
        const std::filesystem::path path = std::filesystem::path(folder) / name;
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            if (n == 0) error = "no frames in " + folder;
            return n > 0;
        }
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        BITMAP* frame = Zorvek::decodePng(bytes.data(), bytes.size());
        if (!frame) {
            error = "cannot decode " + path.string();
            return false;
        }
        const int ms = fromMs + static_cast<int>(static_cast<long long>(n) * 1000 / fps);
        std::vector<float> luma(static_cast<std::size_t>(frame->w) * frame->h);
        double sum = 0, change = 0;
        if (bitmap_color_depth(frame) != 32) {
            destroy_bitmap(frame);
            error = "the frames are read at 32 bits a pixel";
            return false;
        }
        for (int y = 0; y < frame->h; ++y)
            for (int x = 0; x < frame->w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * frame->w + x;
                luma[i] = static_cast<float>(lumaOf(reinterpret_cast<const std::uint32_t*>(frame->line[y])[x]));
                sum += luma[i];
                if (previous.size() == luma.size()) change += std::fabs(luma[i] - previous[i]);
            }
        light.push_back({ms, sum / luma.size(), previous.size() == luma.size() ? change / luma.size() : 0.0});
        previous = std::move(luma);
        visit(ms, frame);
        destroy_bitmap(frame);
    }
}

}  // namespace review
