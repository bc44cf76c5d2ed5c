// Cards and text screens: the test card, the warning, welcome, break and end screens, the bezel
// frame, the LIVE badge, the credits strip and the QR strip.

#include <qrencode.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "backgrounds.h"
#include "lettering.h"
#include "pictures.h"

namespace picgen {

namespace {

constexpr int W = 320, H = 240;

void textLine(Image& img, const std::string& text, TextStyle style, float cx, float baseline, Colour c,
              float shadow = 0.9f) {
    style = fitted(text, style, img.w - 12.0f);
    Mask m = textMask(img.w, img.h, text, style, cx, baseline);
    if (shadow > 0) paint(img, shifted(grown(m, 1), 2, 2), Colour{0, 0, 0}, shadow);
    paint(img, m, c);
}

Mask chromeWord(int w, int h, const std::string& text, float cx, float baseline, float size, float maxWidth) {
    return textMask(w, h, text, fitted(text, {FONT_BOLD, size, 1.08f, 0.22f, 1}, maxWidth), cx, baseline);
}

// Yellow and black diagonal stripes between two rows.
void hazardBand(Image& img, float y0, float y1) {
    paint(img, rectMask(W, H, 0, y0, W, y1), [](int x, int y) {
        int band = int(std::floor((x + y) / 14.0f));
        return band & 1 ? rgb(0x101010) : rgb(0xFFD000);
    });
}

}  // namespace

Image tested() {
    // A test card: grey grid, a circle around colour bars, a grey ramp, the group's name.
    Image img(W, H, rgb(0x505058));
    for (int x = 0; x <= W; x += 20) paint(img, rectMask(W, H, x - 1.0f, 0, x + 1.0f, H), Colour{1, 1, 1}, 0.85f);
    for (int y = 0; y <= H; y += 20) paint(img, rectMask(W, H, 0, y - 1.0f, W, y + 1.0f), Colour{1, 1, 1}, 0.85f);
    // Castellations along the edges.
    for (int x = 0; x < W; x += 20) {
        Colour c = (x / 20) & 1 ? Colour{1, 1, 1} : Colour{0, 0, 0};
        paint(img, rectMask(W, H, float(x), 0, x + 20.0f, 10), c);
        paint(img, rectMask(W, H, float(x), H - 10.0f, x + 20.0f, H), c);
    }
    Mask disk = circleMask(W, H, 160, 120, 104);
    Mask ring = disk;
    subtract(ring, circleMask(W, H, 160, 120, 99));
    paint(img, disk, Colour{0, 0, 0});
    const Colour bars[] = {rgb(0xFFFFFF), rgb(0xFFFF00), rgb(0x00FFFF), rgb(0x00FF00),
                           rgb(0xFF00FF), rgb(0xFF0000), rgb(0x0000FF), rgb(0x000000)};
    Mask inner = circleMask(W, H, 160, 120, 99);
    paint(img, inner, [&](int x, int y) {
        if (y < 60) return y < 44 ? rgb(0x000000) : rgb(0xFFFFFF);
        if (y < 130) return bars[std::clamp((x - 60) / 25, 0, 7)];
        if (y < 150) {  // grey steps
            float g = std::clamp((x - 60) / 25, 0, 7) / 7.0f;
            return Colour{g, g, g};
        }
        if (y < 170) return ((x / 3) & 1) ? Colour{1, 1, 1} : Colour{0, 0, 0};  // fine stripes
        return rgb(0x101010);
    });
    paint(img, ring, Colour{1, 1, 1});
    paint(img, lineMask(W, H, 160, 16, 160, 224, 2), Colour{1, 1, 1}, 0.7f);
    paint(img, rectMask(W, H, 110, 30, 210, 58), Colour{0, 0, 0});
    textLine(img, "ZORVEK", {FONT_BOLD, 20, 1, 0, 3}, 160, 52, Colour{1, 1, 1}, 0);
    paint(img, rectMask(W, H, 118, 176, 202, 204), Colour{0, 0, 0});
    textLine(img, "TESTED", {FONT_MONO, 18, 1, 0, 2}, 160, 197, rgb(0x40FF60), 0);
    return img;
}

Image warning() {
    Image img(W, H);
    verticalGradient(img, {rgb(0x180000), rgb(0x000000), rgb(0x180000)}, 0, H);
    hazardBand(img, 0, 24);
    hazardBand(img, H - 24.0f, H);
    // A warning triangle with an exclamation mark.
    Mask tri = polygonMask(W, H, {160, 34, 196, 96, 124, 96});
    paint(img, grown(tri, 2), Colour{0, 0, 0});
    paint(img, tri, rgb(0xFFD000));
    paint(img, lineMask(W, H, 160, 52, 160, 76, 7), Colour{0, 0, 0});
    paint(img, circleMask(W, H, 160, 86, 4), Colour{0, 0, 0});
    Mask word = chromeWord(W, H, "WARNING", 160, 140, 44, 290);
    paint(img, shifted(grown(word, 2), 3, 3), Colour{0, 0, 0});
    paint(img, word, [](int, int y) { return mix(rgb(0xFFF060), rgb(0xFF2000), clamp01((y - 104) / 36.0f)); });
    textLine(img, "THIS SHOW FLASHES", {FONT_BOLD, 18, 1, 0, 1}, 160, 170, Colour{1, 1, 1});
    textLine(img, "FAST BRIGHT LIGHTS AND STROBES", {FONT_BOLD, 12, 1, 0, 1}, 160, 190, rgb(0xFFC040));
    textLine(img, "TAKE CARE IF YOU ARE PHOTOSENSITIVE", {FONT_CONDENSED, 11, 1, 0, 1}, 160, 207, rgb(0xC0C0C0));
    return img;
}

Image welcome() {
    Image img(W, H);
    verticalGradient(img, {rgb(0x000010), rgb(0x100830), rgb(0x000010)}, 0, H);
    const Colour bars[] = {rgb(0xFF2060), rgb(0xFF8000), rgb(0xFFE000), rgb(0x20FF80),
                           rgb(0x20C0FF), rgb(0x6040FF), rgb(0xFF40FF)};
    for (int i = 0; i < 7; ++i) copperBar(img, 22 + i * 33.0f, 12, bars[i]);
    paint(img, rectMask(W, H, 0, 70, W, 170), Colour{0, 0, 0}, 0.75f);
    Mask word = chromeWord(W, H, "WELCOME", 160, 134, 56, 296);
    glow(img, blurred(grown(word, 3), 12), rgb(0xFF40C0), 0.6f);
    chromeLettering(img, word);
    textLine(img, "BACK TO THE SHOW", {FONT_BOLD, 14, 1, 0, 3}, 160, 160, rgb(0x80F0FF));
    return img;
}

Image breakScreen() {
    // A "please stand by" card in daylight colours: the show pauses before its second half.
    Image img(W, H);
    for (int i = 0; i < 16; ++i) {  // sun-ray wedges from the centre, cyan and sky blue
        float a0 = i * 0.3926991f, a1 = a0 + 0.3926991f;
        Mask wedge = polygonMask(W, H,
                                 {160, 112, 160 + 400 * std::cos(a0), 112 + 400 * std::sin(a0),
                                  160 + 400 * std::cos(a1), 112 + 400 * std::sin(a1)});
        paint(img, wedge, i & 1 ? rgb(0x40B8FF) : rgb(0x90E8FF));
    }
    // A deep blue rim, so that the card still has shadows after the filters.
    shade(img, [&](float x, float y) {
        float d = std::hypot((x - 160) / 190, (y - 112) / 150);
        return img.at(int(x), int(y)) * (1 - 0.85f * smoothstep(0.75f, 1.15f, d));
    });
    glow(img, blurred(circleMask(W, H, 160, 100, 70), 40), rgb(0xFFFFFF), 0.5f);
    Mask word = chromeWord(W, H, "BREAK", 160, 122, 76, 270);
    paint(img, blurred(grown(word, 4), 10), rgb(0x002060), 0.6f);
    chromeLettering(img, word, goldChrome());
    Mask band = roundRectMask(W, H, 36, 142, 284, 170, 8);
    paint(img, shifted(band, 3, 3), Colour{0, 0, 0}, 0.6f);
    paint(img, band, rgb(0x0A1A60));
    textLine(img, "INTERMISSION", {FONT_BOLD, 19, 1, 0, 4}, 160, 164, rgb(0xFFE080), 0);
    Mask bar = roundRectMask(W, H, 52, 184, 268, 214, 10);
    paint(img, shifted(bar, 3, 3), Colour{0, 0, 0}, 0.6f);
    paint(img, bar, rgb(0xFF3090));
    textLine(img, "PLEASE STAND BY", {FONT_BOLD, 18, 1, 0, 2}, 160, 206, Colour{1, 1, 1}, 0.9f);
    return img;
}

Image endScreen() {
    Image img(W, H);
    float horizon = 150;
    verticalGradient(img, {rgb(0x000000), rgb(0x100828), rgb(0x602070), rgb(0xFF6030)}, 0, horizon);
    starfield(img, 31, 180, 100);
    stripedSun(img, 160, horizon, 60, rgb(0xFFE070), rgb(0xFF2060), rgb(0x401030));
    checkerFloor(img, horizon, rgb(0x000000), rgb(0xE02090), rgb(0x702060), 8, 0.5f);
    Mask word = chromeWord(W, H, "THE END", 160, 100, 64, 290);
    glow(img, blurred(grown(word, 3), 14), rgb(0x40E0FF), 0.6f);
    chromeLettering(img, word);
    paint(img, rectMask(W, H, 60, 196, 260, 232), Colour{0, 0, 0}, 0.6f);
    textLine(img, "ZORVEK", {FONT_BOLD, 14, 1, 0, 6}, 160, 212, Colour{1, 1, 1});
    textLine(img, "THANKS FOR WATCHING", {FONT_BOLD, 10, 1, 0, 2}, 160, 227, rgb(0xFFC0E0));
    return img;
}

Image frame() {
    // A monitor bezel: opaque plastic, a translucent inner shadow, a clear screen.
    Image img(W, H);
    Mask screen = roundRectMask(W, H, 14, 12, W - 14.0f, H - 12.0f, 18);
    Mask inner = blurred(roundRectMask(W, H, 22, 20, W - 22.0f, H - 20.0f, 14), 14);
    shade(img, [](float x, float y) {
        // Brushed dark metal lit from the upper left.
        float t = clamp01((x + y) / (W + H));
        return mix(rgb(0x8890A8), rgb(0x181820), t) + Colour{0.03f, 0.03f, 0.05f} * std::sin(y * 1.7f);
    });
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            std::size_t i = std::size_t(y) * W + x;
            float s = screen.v[i];
            float edge = (1 - inner.v[i]) * 0.7f;  // darkening towards the bezel
            img.alpha[i] = (1 - s) + s * edge;
            if (s > 0) img.px[i] = mix(img.px[i], rgb(0x000010), s);
        }
    // A thin bright lip around the screen.
    Mask lip = grown(screen, 1);
    subtract(lip, screen);
    paint(img, lip, rgb(0xC0D0FF), 0.8f);
    // The power light.
    paint(img, circleMask(W, H, W - 26.0f, H - 6.0f, 2.5f), rgb(0x40FF40));
    return img;
}

Image live() {
    constexpr int w = 56, h = 24;
    Image img(w, h, rgb(0x400000));
    Mask badge = roundRectMask(w, h, 0, 0, w, h, 6);
    paint(img, badge, [](int, int y) { return mix(rgb(0xFF4040), rgb(0xA00000), y / 24.0f); });
    paint(img, circleMask(w, h, 9, 12, 4), Colour{1, 1, 1});
    Mask word = textMask(w, h, "LIVE", fitted("LIVE", {FONT_BOLD, 15, 1, 0, 0.5f}, 36), 33, 18);
    paint(img, word, Colour{1, 1, 1});
    maskWithMagenta(img, badge);
    return img;
}

Image credits() {
    // Role in small letters above, name in large letters below; background exact magenta.
    struct Entry {
        const char* role;
        const char* name;
    };
    const Entry entries[] = {
        {"A REAL-TIME DEMO", "VELMORA"},
        {"CODE", "ZORVEK"},
        {"GRAPHICS", "ZORVEK"},
        {"MUSIC", "ZORVEK"},
        {"DESIGN", "ZORVEK"},
        {"GREETINGS TO", "ALL SCENERS"},
        {"MADE WITH LOVE BY", "ZORVEK"},
    };
    constexpr int h = 96, gap = 56;
    // The roles are large and bold with a wide dark rim: the ray caster shows the strip only
    // along its rays, and then softens it.
    TextStyle role{FONT_BOLD, 21, 1.1f, 0, 2}, name{FONT_BOLD, 44, 1.05f, 0.18f, 1};
    float width = gap;
    for (const Entry& e : entries) width += std::max(textWidth(e.role, role), textWidth(e.name, name)) + gap;
    int w = int(std::ceil(width));
    Image img(w, h, rgb(0x080018));
    Mask keep(w, h);
    float x = gap;
    for (const Entry& e : entries) {
        float bw = std::max(textWidth(e.role, role), textWidth(e.name, name)), cx = x + bw / 2;
        Mask r = hardened(textMask(w, h, e.role, role, cx, 30), 0.35f);
        Mask n = hardened(textMask(w, h, e.name, name, cx, 80));
        Mask outline = hardened(grown(n, 2), 0.3f);
        paint(img, outline, rgb(0x2818A0));
        paint(img, n, [](int, int y) { return mix(rgb(0xFFFFFF), rgb(0xFFC830), clamp01((y - 40) / 40.0f)); });
        Mask rim = hardened(grown(r, 2), 0.3f);
        paint(img, rim, rgb(0x2818A0));
        paint(img, r, rgb(0xB0FFFF));
        addInto(keep, outline);
        addInto(keep, rim);
        x += bw + gap;
    }
    maskWithMagenta(img, hardened(keep, 0.3f));
    return img;
}

Image qr() {
    // A real code, two pixels to the module, on white with its quiet zone; the name beside it.
    const char* text = "VELMORA - a real-time demo by ZORVEK. Every pixel made by code.";
    QRcode* code = QRcode_encodeString(text, 0, QR_ECLEVEL_L, QR_MODE_8, 1);
    if (!code) {
        std::fprintf(stderr, "picgen: QR encoding failed\n");
        std::exit(1);
    }
    constexpr int h = 88, scale = 2, quiet = 4;
    int side = (code->width + 2 * quiet) * scale;
    int top = (h - side) / 2, left = top;
    int w = left + side + 210;
    Image img(w, h);
    verticalGradient(img, {rgb(0x001040), rgb(0x0060A0), rgb(0x001040)}, 0, h);
    copperBar(img, 4, 4, rgb(0xFF30C0));
    copperBar(img, h - 4.0f, 4, rgb(0xFF30C0));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            int mx = x / scale - quiet, my = y / scale - quiet;
            bool dark =
                mx >= 0 && my >= 0 && mx < code->width && my < code->width && (code->data[my * code->width + mx] & 1);
            img.at(left + x, top + y) = dark ? Colour{0, 0, 0} : Colour{1, 1, 1};
        }
    float cx = left + side + 105.0f;
    Mask name = textMask(w, h, "VELMORA", fitted("VELMORA", {FONT_BOLD, 34, 1.05f, 0.2f, 1}, 196), cx, 46);
    paint(img, shifted(grown(name, 1), 2, 2), Colour{0, 0, 0}, 0.9f);
    paint(img, name, [](int, int y) { return mix(rgb(0xFFFFFF), rgb(0x40E0FF), clamp01((y - 20) / 26.0f)); });
    Mask by = textMask(w, h, "SCAN ME  -  ZORVEK", {FONT_BOLD, 12, 1, 0, 2}, cx, 70);
    paint(img, by, rgb(0xFFE060));
    QRcode_free(code);
    return img;
}

}  // namespace picgen
