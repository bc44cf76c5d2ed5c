#pragma once
// Every picture of the show's datafile, one drawing function each, grouped by family in the
// source files named beside them.

#include <string>
#include <vector>

#include "canvas.h"

namespace picgen {

enum class Kind {
    Opaque,   // RGB
    Alpha,    // RGBA with transparent and opaque parts
    Magenta,  // RGB, exactly (255, 0, 255) where nothing is drawn
    Grey,     // RGB with equal channels (height maps)
    OneBit,   // RGB, only black and white
};

struct Picture {
    const char* object;  // the datafile object's name, as the show asks for it
    Kind kind;
    Image (*draw)();

    // The packer names an object after its file: NAME.png becomes NAME_PNG. This is NAME, by
    // which the picture is also asked for on the command line.
    std::string stem() const {
        std::string s = object;
        return s.substr(0, s.size() - 4);
    }
};

// In the order in which they are packed.
const std::vector<Picture>& catalogue();

// logos.cpp: the group's lettering
Image zvkLogo1();
Image zvkLogo2();
Image zvkLogo8();
Image zvkLogo4();
Image zvkTag1Bit();
Image zvkTag();
Image velmora1();
Image velmora2();
// The program's icon, 256 x 256, transparent outside a rounded tile (not part of the datafile).
Image showIcon();

// screens.cpp: cards and text screens
Image tested();
Image warning();
Image welcome();
Image breakScreen();
Image endScreen();
Image frame();
Image live();
Image credits();
Image qr();

// artworks.cpp: full-screen artworks
Image zvkNude1();
Image zvkNude2();
Image zvkNude2b();
Image zvkNude3();
Image zvkNude4();
Image dancers();
Image neon();
Image equaliserPicture();
Image mrsHollow();
Image miboboPhoto();
Image miboboTexture();

// maps.cpp: height maps, light images and the melon
Image bumpmap1();
Image bumpmap2();
Image phongmap1();
Image phongmap2();
Image melon();

// movies.cpp: 80-pixel-wide strips of 60-row frames
Image gogo1();
Image gogo2();
Image gogo3();
Image brutal();

// The magenta mask colour of masked sprites.
constexpr Colour MAGENTA{1, 0, 1};
// Replaces everything outside the (hardened) mask with exact magenta; edge pixels keep their
// own colour so that no pink fringe blends into the sprite.
void maskWithMagenta(Image& img, const Mask& keep);

}  // namespace picgen
