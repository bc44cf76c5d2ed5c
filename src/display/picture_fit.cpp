#include "display/picture_fit.h"

#include <algorithm>

namespace Zorvek {

namespace {
constexpr double DESKTOP_SHARE = 0.85;

Area centred(int w, int h, int outW, int outH) { return {(outW - w) / 2, (outH - h) / 2, w, h}; }
}  // namespace

Area fitPicture(int frameW, int frameH, int outW, int outH, bool smooth) {
    if (frameW <= 0 || frameH <= 0 || outW <= 0 || outH <= 0) return {};
    const int whole = std::min(outW / frameW, outH / frameH);
    if (whole >= 1 && !smooth) return centred(whole * frameW, whole * frameH, outW, outH);
    // Any factor: the side that limits fills the output, the other follows the frame's shape.
    // Products in 64 bits: widths times heights of large outputs overflow an int.
    long long w = outW, h = outH;
    if (w * frameH > h * frameW) {
        w = (h * frameW + frameH / 2) / frameH;
    } else {
        h = (w * frameH + frameW / 2) / frameW;
    }
    return centred(static_cast<int>(std::max(1LL, w)), static_cast<int>(std::max(1LL, h)), outW, outH);
}

Area defaultWindow(int frameW, int frameH, int desktopW, int desktopH) {
    const int roomW = static_cast<int>(desktopW * DESKTOP_SHARE);
    const int roomH = static_cast<int>(desktopH * DESKTOP_SHARE);
    const int whole = std::max(1, std::min(roomW / frameW, roomH / frameH));
    return {0, 0, whole * frameW, whole * frameH};
}

}  // namespace Zorvek
