#pragma once
// A stand-in screen for tests of presentation: a memory bitmap as `screen`, and a graphics driver
// record that reports its size, so that SCREEN_W and SCREEN_H hold. Destroy it before the demo.

#include <allegro.h>

#include "support/headless.h"

namespace Zorvek::testing {

class FakeScreen {
public:
    FakeScreen(int width, int height, std::uint32_t colour = 0x000000)
        : bitmap(colour, width, height) {
        driver.w = width;
        driver.h = height;
        driver.name = "test screen";
        gfx_driver = &driver;
        screen = bitmap;
    }
    ~FakeScreen() {
        screen = nullptr;
        gfx_driver = nullptr;
    }
    FakeScreen(const FakeScreen&) = delete;
    FakeScreen& operator=(const FakeScreen&) = delete;

    BITMAP* get() const { return bitmap; }

private:
    GFX_DRIVER driver{};
    Bitmap bitmap;
};

}  // namespace Zorvek::testing
