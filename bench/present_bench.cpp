// What presenting one finished frame costs with the renderer this machine gives the program:
// the texture updated from the frame, the picture scaled into the window with its black border,
// and the present, without the wait for a refresh. Needs a display (under Xvfb: SDL's software
// renderer; SDL_RENDER_DRIVER=opengl to compare Mesa's).
#include <SDL2/SDL.h>
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/desktop/sdl_screen.h"
#include "support/headless.h"

using namespace Zorvek;

namespace {

void BM_PresentOneFrame(benchmark::State& state) {
    auto demo = std::make_unique<testing::HeadlessDemo>();  // the library, for the frame
    if (!SdlScreen::connect()) {
        state.SkipWithError("no display");
        return;
    }
    {
        ScreenSettings settings;
        settings.windowScale = static_cast<int>(state.range(1));
        SdlScreen screen(settings, "Zorvek");
        screen.enlargeOnOwn(state.range(2) != 0);
        const bool windowed = state.range(0) != 0;
        if (!screen.open(windowed, 320, 240)) {
            state.SkipWithError("no window");
            return;
        }
        // A frame of noise: every pixel differs, as in the show's busiest pictures.
        BITMAP* frame = create_bitmap_ex(32, 320, 240);
        std::uint32_t seed = 12345;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                seed = seed * 1664525u + 1013904223u;
                testing::setPixel(frame, x, y, seed >> 8);
            }
        for (auto _ : state) {
            screen.draw(frame);
            screen.flip();
        }
        destroy_bitmap(frame);
        const Area a = screen.picture();
        state.SetLabel(screen.rendererName() + ", picture " + std::to_string(a.w) + "x" + std::to_string(a.h));
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

// Fullscreen on the display at hand; a window three times the frame; the picture enlarged by
// SDL's renderer (0) or by the screen itself where the renderer is SDL's software one (1).
BENCHMARK(BM_PresentOneFrame)
    ->ArgsProduct({{0}, {0}, {0, 1}})
    ->ArgsProduct({{1}, {3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
