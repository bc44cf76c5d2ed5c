// contactsheet: one PNG showing every picture of a datafile with its name, for review.
//   contactsheet oldskool.dat contact_sheet.png
// Pictures are read exactly as the show reads them, with load_png on "datafile#OBJECT".
// Alpha pictures are shown over a grey checkerboard; movie strips as rows of frames; strips
// wider than a cell are cut into rows.

#include <allegro.h>
#include <loadpng.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int CELL_W = 320, CELL_H = 240, LABEL_H = 14, PAD = 8, COLUMNS = 6;

std::uint32_t& at(BITMAP* b, int x, int y) { return reinterpret_cast<std::uint32_t*>(b->line[y])[x]; }

bool hasAlpha(BITMAP* b) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x)
            if (at(b, x, y) >> 24) return true;
    return false;
}

// Draws src scaled by `scale` (nearest) at (dx, dy), over a checkerboard when it has alpha.
void place(BITMAP* sheet, BITMAP* src, int sx, int sy, int sw, int sh, int dx, int dy, float scale, bool alpha) {
    int w = int(sw * scale), h = int(sh * scale);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = at(src, sx + int(x / scale), sy + int(y / scale));
            std::uint32_t out = p & 0xFFFFFF;
            if (alpha) {
                unsigned a = p >> 24, check = ((x / 8 + y / 8) & 1) ? 0x90 : 0x60;
                unsigned r = (((p >> 16) & 0xFF) * a + check * (255 - a)) / 255;
                unsigned g = (((p >> 8) & 0xFF) * a + check * (255 - a)) / 255;
                unsigned b = ((p & 0xFF) * a + check * (255 - a)) / 255;
                out = (r << 16) | (g << 8) | b;
            }
            at(sheet, dx + x, dy + y) = out;
        }
}

void drawCell(BITMAP* sheet, BITMAP* img, int cx, int cy) {
    bool alpha = hasAlpha(img);
    if (img->w == 80 && img->h > 60 && img->h % 60 == 0) {
        // A movie: its frames in rows of four.
        int frames = img->h / 60;
        float scale = frames > 16 ? 0.5f : 1.0f;
        for (int f = 0; f < frames; ++f)
            place(sheet, img, 0, f * 60, 80, 60, cx + int((f % 4) * 80 * scale), cy + int((f / 4) * 60 * scale), scale,
                  alpha);
    } else if (img->w > CELL_W) {
        // A wide strip: cut into pieces stacked downwards, scaled so that they fit the cell.
        float scale = 1.0f;
        for (;;) {
            int pieceW = int(CELL_W / scale), rows = (img->w + pieceW - 1) / pieceW;
            if (rows * (img->h * scale + 2) <= CELL_H) break;
            scale *= 0.9f;
        }
        int pieceW = int(CELL_W / scale);
        for (int x0 = 0, row = 0; x0 < img->w; x0 += pieceW, ++row)
            place(sheet, img, x0, 0, std::min(pieceW, img->w - x0), img->h, cx, cy + row * int(img->h * scale + 2),
                  scale, alpha);
    } else {
        float scale = std::min(1.0f, std::min(float(CELL_W) / img->w, float(CELL_H) / img->h));
        place(sheet, img, 0, 0, img->w, img->h, cx, cy, scale, alpha);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATAFILE OUT.png\n", argv[0]);
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 1;
    set_color_depth(32);
    register_png_file_type();
    DATAFILE* dat = load_datafile(argv[1]);
    if (!dat) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    std::vector<std::string> names;
    for (int i = 0; dat[i].type != DAT_END; ++i)
        if (dat[i].type == DAT_ID('P', 'N', 'G', ' ')) names.push_back(get_datafile_property(&dat[i], DAT_NAME));
    unload_datafile(dat);

    int rows = (int(names.size()) + COLUMNS - 1) / COLUMNS;
    BITMAP* sheet = create_bitmap(COLUMNS * (CELL_W + PAD) + PAD, rows * (CELL_H + LABEL_H + PAD) + PAD);
    clear_to_color(sheet, makecol(24, 24, 32));
    int failed = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        int cx = PAD + int(i % COLUMNS) * (CELL_W + PAD), cy = PAD + int(i / COLUMNS) * (CELL_H + LABEL_H + PAD);
        std::string path = std::string(argv[1]) + "#" + names[i];
        BITMAP* img = load_png(path.c_str(), nullptr);
        if (!img) {
            textprintf_ex(sheet, font, cx, cy, makecol(255, 64, 64), -1, "%s: NOT LOADED", names[i].c_str());
            ++failed;
            continue;
        }
        drawCell(sheet, img, cx, cy);
        textprintf_ex(sheet, font, cx, cy + CELL_H + 3, makecol(230, 230, 230), -1, "%s  %dx%d", names[i].c_str(),
                      img->w, img->h);
        destroy_bitmap(img);
    }
    // save_png writes a 32-bit bitmap with its top byte as alpha: make the sheet opaque.
    for (int y = 0; y < sheet->h; ++y)
        for (int x = 0; x < sheet->w; ++x) at(sheet, x, y) |= 0xFF000000u;
    int saved = save_png(argv[2], sheet, nullptr);
    destroy_bitmap(sheet);
    if (saved != 0) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    std::printf("%zu pictures on %s\n", names.size(), argv[2]);
    return failed ? 1 : 0;
}
END_OF_MAIN()
