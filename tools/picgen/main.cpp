// picgen: draws every picture of the show's datafile and writes them as PNG files.
//   picgen OUTDIR [NAME...]   (all pictures when no names are given)
//   picgen --icons OUTDIR     the program's icon at each size, as OUTDIR/NxN/apps/velmora.png
// Prints how long each picture took, so a slow one shows up in the build log.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

// The sizes of a desktop's icon theme; the smaller ones are the large one scaled down, so that
// every size shows the same picture.
int writeIcons(const std::string& dir) {
    Image icon = showIcon();
    for (int size : {256, 128, 64, 48, 32, 24, 16}) {
        std::string folder = dir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        Image img = size == icon.w ? icon : shrunk(icon, size, size);
        if (ec || !writePng(img, folder + "/velmora.png", PngKind::Rgba)) {
            std::fprintf(stderr, "picgen: cannot write the icon into %s\n", folder.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) return writeIcons(argv[2]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR [NAME...]\n       %s --icons OUTDIR\n", argv[0], argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    for (int i = 2; i < argc; ++i) {
        bool known = false;
        for (const Picture& p : catalogue()) known = known || p.stem() == argv[i];
        if (!known) {
            std::fprintf(stderr, "picgen: no picture is named %s\n", argv[i]);
            return 2;
        }
    }
    int written = 0;
    auto all = std::chrono::steady_clock::now();
    for (const Picture& p : catalogue()) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || p.stem() == argv[i];
        if (!wanted) continue;
        auto t0 = std::chrono::steady_clock::now();
        Image img = p.draw();
        finish(img, p.kind);
        if (!writePng(img, dir + "/" + p.stem() + ".png", p.kind == Kind::Alpha ? PngKind::Rgba : PngKind::Rgb))
            return 1;
        auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%-16s %4d x %-4d %7.1f ms\n", p.stem().c_str(), img.w, img.h, ms);
        ++written;
    }
    auto total = std::chrono::duration<double>(std::chrono::steady_clock::now() - all).count();
    std::printf("%d pictures in %.2f s\n", written, total);
    return 0;
}
