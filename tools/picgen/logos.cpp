// The group's lettering: the four ZORVEK logos, the two tags and the two VELMORA titles all use
// one letter shape (bold, leaning, cut by two thin horizontal slots) and one chrome.

#include <cmath>

#include "backgrounds.h"
#include "lettering.h"
#include "pictures.h"

namespace picgen {

namespace {

constexpr int W = 320, H = 240;

// The house letter shape, centred on cx with its baseline at `baseline`, at most maxWidth wide.
Mask houseLetters(int w, int h, const std::string& text, float cx, float baseline, float size, float maxWidth) {
    TextStyle style{FONT_BOLD, size, 1.08f, 0.22f, 1.0f};
    style = fitted(text, style, maxWidth);
    Mask m = textMask(w, h, text, style, cx, baseline);
    // Two slots through the lower half: the old "speed lines" of demo logos.
    auto [top, bottom] = coveredRows(m);
    float capH = float(bottom - top);
    for (float at : {0.62f, 0.80f}) {
        float y = top + capH * at;
        Mask slot = rectMask(w, h, 0, y, float(w), y + std::max(1.5f, capH * 0.05f));
        subtract(m, slot);
    }
    return m;
}

// Small flat text with a dark shadow, for subtitles.
void caption(Image& img, const std::string& text, float cx, float baseline, float size, Colour c,
             const char* font = FONT_BOLD, float tracking = 2) {
    TextStyle style = fitted(text, {font, size, 1, 0, tracking}, img.w - 16.0f);
    Mask m = textMask(img.w, img.h, text, style, cx, baseline);
    paint(img, shifted(m, 1, 1), Colour{0, 0, 0}, 0.9f);
    paint(img, m, c);
}

void nightSunsetBackdrop(Image& img, float horizon) {
    verticalGradient(img, {rgb(0x02020C), rgb(0x0A0838), rgb(0x401060), rgb(0xC02870), rgb(0xFF8030)}, 0, horizon);
    starfield(img, 11, 220, horizon * 0.7f);
}

}  // namespace

Image zvkLogo1() {
    Image img(W, H);
    float horizon = 150;
    nightSunsetBackdrop(img, horizon);
    stripedSun(img, 160, horizon - 8, 44, rgb(0xFFE060), rgb(0xFF3080), rgb(0x501040));
    checkerFloor(img, horizon, rgb(0x100418), rgb(0x2060E0), rgb(0x802070));
    Mask letters = houseLetters(W, H, "ZORVEK", 157, 118, 72, 234);
    glow(img, blurred(grown(letters, 3), 14), rgb(0x60C0FF), 0.55f);
    chromeLettering(img, letters);
    caption(img, "P R E S E N T S", 160, 222, 13, rgb(0x70F0FF));
    return img;
}

Image zvkLogo2() {
    // Dark ground and saturated bars: white metaballs merged by maximum still leave the logo.
    Image img(W, H);
    verticalGradient(img, {rgb(0x000008), rgb(0x06082A), rgb(0x000008)}, 0, H);
    const Colour bars[] = {rgb(0xFF2080), rgb(0xFF9020), rgb(0x20E0FF), rgb(0x8040FF)};
    for (int i = 0; i < 4; ++i) copperBar(img, 30 + i * 60.0f, 9, bars[i] * 0.55f);
    Mask letters = houseLetters(W, H, "ZORVEK", 160, 146, 78, 300);
    glow(img, blurred(grown(letters, 3), 18), rgb(0xFF30A0), 0.6f);
    chromeLettering(img, letters, iceChrome());
    return img;
}

Image zvkLogo8() {
    // A lit plate behind the letters, so the crossfade to and from the bump maps feels related.
    Image img(W, H);
    radialGradient(img, 160, 110, 190, 140, rgb(0xFFC070), rgb(0x100404));
    for (int y = 0; y < H; y += 16)  // engraved lines across the plate
        paint(img, rectMask(W, H, 0, float(y), float(W), y + 1.0f), Colour{0, 0, 0}, 0.35f);
    Mask letters = houseLetters(W, H, "ZORVEK", 160, 140, 76, 296);
    glow(img, blurred(grown(letters, 4), 16), rgb(0xFFE0A0), 0.5f);
    chromeLettering(img, letters);
    caption(img, "SINCE THE BEGINNING", 160, 200, 12, rgb(0xFFD080));
    return img;
}

Image zvkLogo4() {
    constexpr int w = 256, h = 112;
    Image img(w, h, Colour{0, 0, 0});
    Mask letters = houseLetters(w, h, "ZORVEK", 124, 84, 64, 232);
    chromeLettering(img, letters, iceChrome());
    // The sprite is the letters, their outline and their shadow; the rest is the mask colour.
    ChromeStyle s = iceChrome();
    Mask keep = grown(letters, s.outlineWidth);
    addInto(keep, shifted(keep, s.shadowDx, s.shadowDy));
    maskWithMagenta(img, keep);
    return img;
}

Image zvkTag1Bit() {
    // Pure black and white: XOR with plasma turns white areas into the plasma's negative.
    Image img(W, H, Colour{0, 0, 0});
    Mask tag = houseLetters(W, H, "ZVK", 160, 160, 140, 280);
    paint(img, tag, Colour{1, 1, 1});
    Mask bars = rectMask(W, H, 0, 12, W, 34);
    addInto(bars, rectMask(W, H, 0, 206, W, 228));
    paint(img, bars, Colour{1, 1, 1});
    TextStyle small = {FONT_BOLD, 16, 1, 0, 6};
    paint(img, textMask(W, H, "ZORVEK", small, 160, 30), Colour{0, 0, 0});
    paint(img, textMask(W, H, "ZORVEK", small, 160, 224), Colour{0, 0, 0});
    return img;
}

Image zvkTag() {
    // Opaque chrome letters in a translucent glow; the rest lets the spirals through.
    Image img(W, H, rgb(0xFF30C0));
    Mask tag = houseLetters(W, H, "ZVK", 160, 150, 120, 250);
    ChromeStyle s = iceChrome();
    Mask body = grown(tag, s.outlineWidth);
    Mask halo = blurred(grown(tag, 6), 20);
    for (std::size_t i = 0; i < img.px.size(); ++i) {
        float x = float(i % W), y = float(i / W);
        img.px[i] = mix(rgb(0x20E0FF), rgb(0xFF30C0), clamp01((x + y) / (W + H)));
        img.alpha[i] = std::max(body.v[i], std::min(0.7f, halo.v[i] * 1.4f));
    }
    chromeLettering(img, tag, s);
    return img;
}

Image velmora1() {
    Image img(W, H);
    float horizon = 140;
    verticalGradient(img, {rgb(0x050318), rgb(0x281050), rgb(0xA02080), rgb(0xFF7040)}, 0, horizon);
    starfield(img, 21, 150, 80);
    stripedSun(img, 160, horizon - 4, 56, rgb(0xFFF080), rgb(0xFF2070), rgb(0x501048));
    mountains(img, 5, horizon + 1, 30, rgb(0x301040), rgb(0x100418));
    gridFloor(img, horizon, rgb(0x0A0218), rgb(0xFF40D0), rgb(0x6A1860));
    Mask letters = houseLetters(W, H, "VELMORA", 160, 92, 64, 300);
    glow(img, blurred(grown(letters, 3), 14), rgb(0x40E0FF), 0.6f);
    chromeLettering(img, letters);
    return img;
}

Image velmora2() {
    Image img(W, H);
    verticalGradient(img, {rgb(0x000004), rgb(0x040A30), rgb(0x000004)}, 0, H);
    starfield(img, 22, 320, H);
    // A ringed planet low on the right.
    SphereLook planet;
    planet.base = rgb(0x4C80FF);
    planet.skyLow = rgb(0xFF40C0);
    planet.shininess = 12;
    planet.specular = rgb(0x9090C0);
    Mask ringBack = ellipseMask(W, H, 250, 200, 95, 16);
    subtract(ringBack, ellipseMask(W, H, 250, 200, 75, 11));
    paint(img, ringBack, rgb(0xC08040), 0.7f);
    sphere(img, 250, 200, 50, planet);
    Mask ringFront = ringBack;
    subtract(ringFront, rectMask(W, H, 0, 0, W, 200));
    paint(img, ringFront, rgb(0xFFC070), 0.9f);
    Mask letters = houseLetters(W, H, "VELMORA", 160, 112, 66, 300);
    glow(img, blurred(grown(letters, 3), 16), rgb(0xFF8020), 0.6f);
    chromeLettering(img, letters, goldChrome());
    caption(img, "A ZORVEK PRODUCTION", 130, 150, 13, rgb(0x80E8FF));
    return img;
}

Image showIcon() {
    // The show's initial in the house lettering over the title picture's sunset, on a tile with
    // rounded corners; a desktop shows it from 16 to 256 pixels, so the scenery stays simple.
    constexpr int S = 256;
    Image img(S, S);
    float horizon = 172;
    verticalGradient(img, {rgb(0x050318), rgb(0x281050), rgb(0xA02080), rgb(0xFF7040)}, 0, horizon);
    starfield(img, 23, 40, horizon * 0.5f);
    stripedSun(img, S / 2.0f, horizon - 6, 70, rgb(0xFFF080), rgb(0xFF2070), rgb(0x501048));
    gridFloor(img, horizon, rgb(0x0A0218), rgb(0xFF40D0), rgb(0x6A1860));
    Mask letter = houseLetters(S, S, "V", S / 2.0f - 6, 204, 210, 172);  // leans right
    glow(img, blurred(grown(letter, 4), 18), rgb(0x40E0FF), 0.7f);
    chromeLettering(img, letter);
    Mask tile = roundRectMask(S, S, 8, 8, S - 8, S - 8, 40);
    Mask rim = tile;
    subtract(rim, roundRectMask(S, S, 11, 11, S - 11, S - 11, 37));
    paint(img, rim, rgb(0x05030F), 0.8f);  // keeps the tile's edge on light desktops
    img.alpha = tile.v;
    return img;
}

}  // namespace picgen
