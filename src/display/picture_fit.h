#pragma once

namespace Zorvek {

// A rectangle on the window, in pixels.
struct Area {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Area&) const = default;
};

// Where a frame of `frameW` × `frameH` is shown in an output of `outW` × `outH`: centred, at the
// largest whole multiple that fits, so every pixel of the frame is the same square of screen
// pixels. `smooth` allows any factor (filtered, not blocky). Either way the frame keeps its shape;
// an output smaller than the frame shows it shrunk to fit.
Area fitPicture(int frameW, int frameH, int outW, int outH, bool smooth);

// The window that opens by default: the largest whole multiple of the frame that fits within
// about 85 % of the usable desktop, at least the frame itself.
Area defaultWindow(int frameW, int frameH, int desktopW, int desktopH);

}  // namespace Zorvek
