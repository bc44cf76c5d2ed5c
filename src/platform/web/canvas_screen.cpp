// The screen in a browser: the page's canvas, of the frame's own size, which the page enlarges by
// a whole multiple with sharp pixels, centred on black. The browser paces the passes: one a
// displayed refresh, at its animation frames, at the display's rate as the page measured it.
// Window or fullscreen is the page's to switch, in the viewer's own gesture, as a browser wants.
#include <allegro.h>
#include <emscripten.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "display/screen.h"
#include "process/time.h"
#include "rgba.h"

namespace Zorvek {

namespace {

// clang-format off
EM_JS(int, pageRefreshRate, (), { return velmoraPage.refreshRate(); });
EM_JS(void, pagePresent, (const std::uint8_t* rgba, int width, int height), {
    velmoraPage.present(rgba, width, height);
});
// clang-format on

class CanvasScreen final : public Screen {
public:
    bool open(bool, int w, int h) override {
        width = w;
        height = h;
        rgba.assign(static_cast<std::size_t>(w) * h * 4, 0);
        pacer.setDisplay(pageRefreshRate(), true);
        return true;
    }

    void show(BITMAP* frame) override {
        if (frame) {
            toRgba(frame, rgba.data());
            pagePresent(rgba.data(), width, height);
        }
        pacer.presented(monotonicNow());
    }

    void showAgain(BITMAP*) override { pacer.presented(monotonicNow()); }

    const Pacer& pacing() const override { return pacer; }

private:
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    Pacer pacer;
};

}  // namespace

bool connectScreen() { return true; }

std::string screenConnectFailure() { return "the page has no canvas"; }

std::unique_ptr<Screen> makeScreen(const ScreenSettings&, const char*) { return std::make_unique<CanvasScreen>(); }

}  // namespace Zorvek
