#include "support/headless.h"

namespace Zorvek::testing {

BITMAP* makeFrame(std::uint32_t colour, int width, int height) {
    BITMAP* b = create_bitmap_ex(32, width, height);
    clear_to_color(b, static_cast<int>(colour));
    return b;
}

}  // namespace Zorvek::testing
