#include "pictures.h"

namespace picgen {

const std::vector<Picture>& catalogue() {
    static const std::vector<Picture> all{
        {"ZVKLOGO1", Kind::Opaque, zvkLogo1},
        {"ZVKLOGO2", Kind::Opaque, zvkLogo2},
        {"ZVKLOGO8", Kind::Opaque, zvkLogo8},
        {"ZVKLOGO4", Kind::Magenta, zvkLogo4},
        {"ZVKTAG_1BIT", Kind::OneBit, zvkTag1Bit},
        {"ZVKTAG", Kind::Alpha, zvkTag},
        {"FRAME", Kind::Alpha, frame},
        {"TESTED", Kind::Opaque, tested},
        {"VELMORA1", Kind::Opaque, velmora1},
        {"VELMORA2", Kind::Opaque, velmora2},
        {"WARNING", Kind::Opaque, warning},
        {"WELCOME", Kind::Opaque, welcome},
        {"BREAK", Kind::Opaque, breakScreen},
        {"ENDSCREEN", Kind::Opaque, endScreen},
        {"ZVKNUDE1", Kind::Opaque, zvkNude1},
        {"ZVKNUDE2", Kind::Opaque, zvkNude2},
        {"ZVKNUDE2B", Kind::Opaque, zvkNude2b},
        {"ZVKNUDE3", Kind::Opaque, zvkNude3},
        {"ZVKNUDE4", Kind::Opaque, zvkNude4},
        {"DANCERS", Kind::Opaque, dancers},
        {"NEON", Kind::Opaque, neon},
        {"SPECS", Kind::Opaque, equaliserPicture},
        {"MRSHOLLOW", Kind::Opaque, mrsHollow},
        {"MIBOBO_PHOTO", Kind::Opaque, miboboPhoto},
        {"MIBOBO_TEXTURE", Kind::Opaque, miboboTexture},
        {"BUMPMAP1", Kind::Grey, bumpmap1},
        {"BUMPMAP2", Kind::Grey, bumpmap2},
        {"PHONGMAP1", Kind::Opaque, phongmap1},
        {"PHONGMAP2", Kind::Opaque, phongmap2},
        {"MELON", Kind::Magenta, melon},
        {"LIVE", Kind::Magenta, live},
        {"QR", Kind::Opaque, qr},
        {"CREDITS", Kind::Magenta, credits},
        {"GOGO1", Kind::Opaque, gogo1},
        {"GOGO2", Kind::Opaque, gogo2},
        {"GOGO3", Kind::Opaque, gogo3},
        {"BRUTAL", Kind::Opaque, brutal},
    };
    return all;
}

void maskWithMagenta(Image& img, const Mask& keep) {
    for (std::size_t i = 0; i < img.px.size(); ++i)
        if (keep.v[i] < 0.5f) img.px[i] = MAGENTA;
}

}  // namespace picgen
