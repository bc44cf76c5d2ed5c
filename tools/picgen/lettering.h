#pragma once
// Text through FreeType with Debian's DejaVu fonts, and the show's one lettering style: bevelled
// chrome lit from the upper left, with an outline and a hard drop shadow.

#include <string>
#include <vector>

#include "canvas.h"

namespace picgen {

extern const char* const FONT_BOLD;
extern const char* const FONT_CONDENSED;
extern const char* const FONT_MONO;
extern const char* const FONT_SERIF;

struct TextStyle {
    const char* font = FONT_BOLD;
    float size = 48;     // pixel height of the em
    float xscale = 1;    // horizontal stretch
    float slant = 0;     // shear, positive leans right
    float tracking = 0;  // extra pixels between letters
};

float textWidth(const std::string& text, const TextStyle& style);
// The style with its size cut so that the text fits maxWidth (never enlarged).
TextStyle fitted(const std::string& text, TextStyle style, float maxWidth);
// One line of text, centred on cx, baseline at row `baseline`.
Mask textMask(int w, int h, const std::string& text, const TextStyle& style, float cx, float baseline);

struct ChromeStyle {
    std::vector<Colour> sky{rgb(0x10206A), rgb(0x4FA8FF), rgb(0xE8F6FF)};     // reflected above the horizon
    std::vector<Colour> ground{rgb(0x3A1A08), rgb(0xC8641A), rgb(0xFFD080)};  // reflected below it
    Colour outline = rgb(0x05030F);
    int outlineWidth = 2;
    Colour shadow = rgb(0x000000);
    float shadowOpacity = 0.85f;
    int shadowDx = 5, shadowDy = 5;
    int bevel = 6;       // blur radius that rounds the letter edges
    float shine = 0.9f;  // strength of the specular highlight
};

// The house chrome (blue sky over an orange ground) and its two recolourings.
ChromeStyle goldChrome();
ChromeStyle iceChrome();

// Draws letters (a coverage mask) onto the picture as chrome.
void chromeLettering(Image& img, const Mask& letters, const ChromeStyle& style = {});

// Rows of the mask holding coverage above one half: [top, bottom], or {0, -1} when empty.
std::pair<int, int> coveredRows(const Mask& m);
std::pair<int, int> coveredColumns(const Mask& m);

}  // namespace picgen
