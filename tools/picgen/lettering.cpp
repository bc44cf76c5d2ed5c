#include "lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace picgen {

const char* const FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const FONT_CONDENSED = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
const char* const FONT_MONO = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
const char* const FONT_SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";

namespace {

FT_Face face(const char* file) {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib)) {
            std::fprintf(stderr, "picgen: FreeType did not start\n");
            std::exit(1);
        }
        return lib;
    }();
    static std::map<std::string, FT_Face> faces;
    auto found = faces.find(file);
    if (found != faces.end()) return found->second;
    FT_Face f = nullptr;
    if (FT_New_Face(library, file, 0, &f)) {
        std::fprintf(stderr, "picgen: cannot open font %s (Debian packages fonts-dejavu-core, fonts-dejavu-extra)\n",
                     file);
        std::exit(1);
    }
    faces[file] = f;
    return f;
}

// Lays the text out, calling draw(bitmap, left, top) for each glyph with the pen starting at
// (x, baseline); returns the advance.
template <class Draw>
float layout(const std::string& text, const TextStyle& style, float x, float baseline, Draw draw) {
    FT_Face f = face(style.font);
    FT_Set_Pixel_Sizes(f, 0, FT_UInt(std::lround(style.size)));
    FT_Matrix matrix{FT_Fixed(style.xscale * 65536), FT_Fixed(style.slant * 65536), 0, 0x10000};
    float pen = x;
    for (unsigned char ch : text) {
        // Sub-pixel pen position goes into the transform, so spacing does not jitter.
        FT_Vector delta{FT_Pos(std::lround((pen - std::floor(pen)) * 64)), 0};
        FT_Set_Transform(f, &matrix, &delta);
        if (FT_Load_Char(f, ch, FT_LOAD_RENDER)) continue;
        FT_GlyphSlot g = f->glyph;
        draw(g->bitmap, int(std::floor(pen)) + g->bitmap_left, int(std::lround(baseline)) - g->bitmap_top);
        pen += g->advance.x / 64.0f + style.tracking;
    }
    return pen - x - (text.empty() ? 0 : style.tracking);
}

}  // namespace

float textWidth(const std::string& text, const TextStyle& style) {
    return layout(text, style, 0, 0, [](const FT_Bitmap&, int, int) {});
}

TextStyle fitted(const std::string& text, TextStyle style, float maxWidth) {
    float w = textWidth(text, style);
    if (w > maxWidth) style.size = std::floor(style.size * maxWidth / w);
    while (style.size > 4 && textWidth(text, style) > maxWidth) style.size -= 1;
    return style;
}

Mask textMask(int w, int h, const std::string& text, const TextStyle& style, float cx, float baseline) {
    Mask m(w, h);
    float x = cx - textWidth(text, style) / 2;
    layout(text, style, x, baseline, [&](const FT_Bitmap& b, int left, int top) {
        for (unsigned r = 0; r < b.rows; ++r)
            for (unsigned c = 0; c < b.width; ++c) {
                int px = left + int(c), py = top + int(r);
                if (px < 0 || py < 0 || px >= w || py >= h) continue;
                float v = b.buffer[r * b.pitch + c] / 255.0f;
                m.at(px, py) = std::max(m.at(px, py), v);
            }
    });
    return m;
}

std::pair<int, int> coveredRows(const Mask& m) {
    int top = m.h, bottom = -1;
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            if (m.at(x, y) > 0.5f) {
                top = std::min(top, y);
                bottom = y;
                break;
            }
    return bottom < 0 ? std::pair{0, -1} : std::pair{top, bottom};
}

std::pair<int, int> coveredColumns(const Mask& m) {
    int left = m.w, right = -1;
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            if (m.at(x, y) > 0.5f) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right < 0 ? std::pair{0, -1} : std::pair{left, right};
}

ChromeStyle goldChrome() {
    ChromeStyle s;
    s.sky = {rgb(0x301008), rgb(0xE07818), rgb(0xFFF0B0)};
    s.ground = {rgb(0x401000), rgb(0xB03010), rgb(0xFFC060)};
    return s;
}

ChromeStyle iceChrome() {
    ChromeStyle s;
    s.sky = {rgb(0x081040), rgb(0x40D0FF), rgb(0xF0FFFF)};
    s.ground = {rgb(0x300040), rgb(0xD020A0), rgb(0xFFB0F0)};
    return s;
}

void chromeLettering(Image& img, const Mask& letters, const ChromeStyle& s) {
    Mask outline = grown(letters, s.outlineWidth);
    paint(img, shifted(outline, s.shadowDx, s.shadowDy), s.shadow, s.shadowOpacity);
    paint(img, outline, s.outline);

    // Height: the letter rounded off towards its edges, so the normals tilt there.
    Mask height = blurred(letters, s.bevel);
    for (std::size_t i = 0; i < height.v.size(); ++i) height.v[i] = smoothstep(0.0f, 0.85f, height.v[i]);

    auto [top, bottom] = coveredRows(letters);
    float span = float(std::max(1, bottom - top));
    const float lx = -0.55f, ly = -0.65f, lz = 0.52f;  // light from the upper left, towards the viewer
    const float ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float a = letters.at(x, y);
            if (a <= 0) continue;
            float gx = (height.get(x + 1, y) - height.get(x - 1, y)) * 3.0f;
            float gy = (height.get(x, y + 1) - height.get(x, y - 1)) * 3.0f;
            float nx = -gx, ny = -gy, nz = 1, nl = std::sqrt(nx * nx + ny * ny + 1);
            nx /= nl, ny /= nl, nz /= nl;
            // Reflected view ray; its vertical part moves the horizon line across the bevel.
            float ry = 2 * nz * ny;
            float e = (y - top) / span + ry * 0.45f;
            Colour env = e < 0.52f ? ramp(s.sky, e / 0.52f) : ramp(s.ground, (e - 0.52f) / 0.48f);
            float diffuse = std::max(0.0f, (nx * lx + ny * ly + nz * lz) / ll);
            float rx = 2 * nz * nx, rz = 2 * nz * nz - 1;
            float specular = std::pow(std::max(0.0f, (rx * lx + ry * ly + rz * lz) / ll), 30.0f);
            Colour c = env * (0.45f + 0.65f * diffuse) + Colour{1, 1, 1} * (specular * s.shine);
            img.at(x, y) = mix(img.at(x, y), c, a);
        }
}

}  // namespace picgen
