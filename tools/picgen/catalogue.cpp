#include "pictures.h"

namespace picgen {

const std::vector<Picture>& catalogue() {
    static const std::vector<Picture> all{
        {"ZVKLOGO1_PNG", Kind::Opaque, zvkLogo1},
        {"ZVKLOGO2_PNG", Kind::Opaque, zvkLogo2},
        {"ZVKLOGO8_PNG", Kind::Opaque, zvkLogo8},
        {"ZVKLOGO4_PNG", Kind::Magenta, zvkLogo4},
        {"ZVKTAG_1BIT_PNG", Kind::OneBit, zvkTag1Bit},
        {"ZVKTAG_PNG", Kind::Alpha, zvkTag},
        {"FRAME_PNG", Kind::Alpha, frame},
        {"TESTED_PNG", Kind::Opaque, tested},
        {"VELMORA1_PNG", Kind::Opaque, velmora1},
        {"VELMORA2_PNG", Kind::Opaque, velmora2},
        {"WARNING_PNG", Kind::Opaque, warning},
        {"WELCOME_PNG", Kind::Opaque, welcome},
        {"BREAK_PNG", Kind::Opaque, breakScreen},
        {"ENDSCREEN_PNG", Kind::Opaque, endScreen},
        {"ZVKNUDE1_PNG", Kind::Opaque, zvkNude1},
        {"ZVKNUDE2_PNG", Kind::Opaque, zvkNude2},
        {"ZVKNUDE2B_PNG", Kind::Opaque, zvkNude2b},
        {"ZVKNUDE3_PNG", Kind::Opaque, zvkNude3},
        {"ZVKNUDE4_PNG", Kind::Opaque, zvkNude4},
        {"DANCERS_PNG", Kind::Opaque, dancers},
        {"NEON_PNG", Kind::Opaque, neon},
        {"SPECS_PNG", Kind::Opaque, equaliserPicture},
        {"MRSHOLLOW_PNG", Kind::Opaque, mrsHollow},
        {"MIBOBO_PHOTO_PNG", Kind::Opaque, miboboPhoto},
        {"MIBOBO_TEXTURE_PNG", Kind::Opaque, miboboTexture},
        {"BUMPMAP1_PNG", Kind::Grey, bumpmap1},
        {"BUMPMAP2_PNG", Kind::Grey, bumpmap2},
        {"PHONGMAP1_PNG", Kind::Opaque, phongmap1},
        {"PHONGMAP2_PNG", Kind::Opaque, phongmap2},
        {"MELON_PNG", Kind::Magenta, melon},
        {"LIVE_PNG", Kind::Magenta, live},
        {"QR_PNG", Kind::Opaque, qr},
        {"CREDITS_PNG", Kind::Magenta, credits},
        {"GOGO1_PNG", Kind::Opaque, gogo1},
        {"GOGO2_PNG", Kind::Opaque, gogo2},
        {"GOGO3_PNG", Kind::Opaque, gogo3},
        {"BRUTAL_PNG", Kind::Opaque, brutal},
    };
    return all;
}

void maskWithMagenta(Image& img, const Mask& keep) {
    for (std::size_t i = 0; i < img.px.size(); ++i)
        if (keep.v[i] < 0.5f) img.px[i] = MAGENTA;
}

}  // namespace picgen
