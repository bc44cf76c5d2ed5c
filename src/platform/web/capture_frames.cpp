// The capture's frames rendered in the page, as velmora-capture renders them: frame n of a span
// from `from` at `fps` frames a second is one refresh at music time from + n * 1000 / fps, with
// the random patterns seeded as the capture seeds them. A test holds them against the capture's
// files, pixel for pixel.
#include "capture_frames.h"

#include <allegro.h>
#include <emscripten.h>

#include <cstdint>
#include <limits>
#include <memory>

#include "platform/sound/sound_layer.h"
#include "process/show_random.h"
#include "rgba.h"
#include "runtime/clock.h"
#include "runtime/main_loop.h"
#include "show/velmora.h"

namespace Zorvek {

namespace {
struct Capture {
    Velmora show{DemoMode::Headless};
    FrameClock clock{show.music};
    std::unique_ptr<MainLoop> loop;
    int from = 0, fps = 60;
    std::uint8_t rgba[320 * 240 * 4] = {};
};
Capture* capture = nullptr;
}  // namespace

void prepareCapture() {
    sound::setOffline(true);
    capture = new Capture;
    capture->show.display.setHeadless(320, 240, 32);
    capture->show.script();
    capture->show.music.play();
}

}  // namespace Zorvek

extern "C" {

// Starts a span at `from` ms, `fps` frames a second, the patterns seeded with `seed`.
EMSCRIPTEN_KEEPALIVE void velmora_capture_begin(int from, int fps, unsigned seed) {
    using namespace Zorvek;
    if (capture->loop) capture->loop->end();
    seedShowRand(seed);
    capture->from = from;
    capture->fps = fps;
    capture->loop = std::make_unique<MainLoop>(capture->show, capture->clock);
    // Nothing is late offline, so every pass due is run.
    capture->loop->mostPasses = std::numeric_limits<int>::max();
    capture->loop->begin();
}

// Frame n of the span, as bytes red, green, blue, alpha: the frames of a span are asked for in order.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* velmora_capture_frame(int n) {
    using namespace Zorvek;
    capture->clock.setPosition(capture->from + static_cast<int>(static_cast<long long>(n) * 1000 / capture->fps));
    toRgba(capture->loop->pass(), capture->rgba);
    return capture->rgba;
}

}  // extern "C"
