// picgen: draws every picture of the show's datafile and writes them as PNG files.
//   picgen OUTDIR [NAME...]   (all pictures when no names are given)
// Prints how long each picture took, so a slow one shows up in the build log.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "pictures.h"

using namespace picgen;

namespace {

// Makes sure the written pixels hold what the kind promises, whatever the drawing did.
void finish(Image& img, Kind kind) {
    for (std::size_t i = 0; i < img.px.size(); ++i) {
        Colour& c = img.px[i];
        c = {clamp01(c.r), clamp01(c.g), clamp01(c.b)};
        if (kind == Kind::Grey) {
            float g = (c.r + c.g + c.b) / 3;
            c = {g, g, g};
        } else if (kind == Kind::OneBit) {
            float g = (c.r + c.g + c.b) / 3 >= 0.5f ? 1.0f : 0.0f;
            c = {g, g, g};
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR [NAME...]\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    for (int i = 2; i < argc; ++i) {
        bool known = false;
        for (const Picture& p : catalogue()) known = known || std::strcmp(argv[i], p.name) == 0;
        if (!known) {
            std::fprintf(stderr, "picgen: no picture is named %s\n", argv[i]);
            return 2;
        }
    }
    int written = 0;
    auto all = std::chrono::steady_clock::now();
    for (const Picture& p : catalogue()) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], p.name) == 0;
        if (!wanted) continue;
        auto t0 = std::chrono::steady_clock::now();
        Image img = p.draw();
        finish(img, p.kind);
        if (!writePng(img, dir + "/" + p.name + ".png", p.kind == Kind::Alpha ? PngKind::Rgba : PngKind::Rgb))
            return 1;
        auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%-16s %4d x %-4d %7.1f ms\n", p.name, img.w, img.h, ms);
        ++written;
    }
    auto total = std::chrono::duration<double>(std::chrono::steady_clock::now() - all).count();
    std::printf("%d pictures in %.2f s\n", written, total);
    return 0;
}
