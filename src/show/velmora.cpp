#include "show/velmora.h"

#include <allegro.h>

#include <cstdint>

#include "process/fail.h"

namespace Zorvek {

namespace {
// The warp maps turn by exactly these single-precision values (-pi/30 and pi/30 and the scales).
float floatBits(std::uint32_t bits) { return __builtin_bit_cast(float, bits); }
}  // namespace

void Velmora::script() {
    display.setMode(0, 0, 320, 240, 32);
    loader.datafile = "oldskool.dat";
    music.demo = this;
    music.musicFile = "drift.mod";
    setUpEffects();

    const int H = static_cast<int>(static_cast<unsigned>(gogo1.period) >> 1);
    const int K6 = 93800 + 32 * H;
    scriptOpening(H);
    scriptMiddle(K6);
    scriptEnding(K6);
}

void Velmora::setUpEffects() {
    // Images, in the order they first enter the loader cache.
    logo1.load(this, "ZVKLOGO1_PNG");
    logo2.load(this, "ZVKLOGO2_PNG");
    logo8.load(this, "ZVKLOGO8_PNG");
    nude1.load(this, "ZVKNUDE1_PNG");
    nude2.load(this, "ZVKNUDE2_PNG");
    nude2b.load(this, "ZVKNUDE2B_PNG");
    nude3.load(this, "ZVKNUDE3_PNG");
    nude4.load(this, "ZVKNUDE4_PNG");
    logo4.load(this, "ZVKLOGO4_PNG", 32, 48);
    tag1bit.load(this, "ZVKTAG_1BIT_PNG");
    tagOverlay.load(this, "ZVKTAG_PNG", 0, 0);
    tested.load(this, "TESTED_PNG");
    title1.load(this, "VELMORA1_PNG");
    title2.load(this, "VELMORA2_PNG");
    frameOverlay.load(this, "FRAME_PNG", 0, 0);
    warning.load(this, "WARNING_PNG");
    endScreen.load(this, "ENDSCREEN_PNG");
    bumpmapMix1.load(this, "BUMPMAP1_PNG", "PHONGMAP1_PNG");
    bumpmapMix2.load(this, "BUMPMAP1_PNG", "PHONGMAP2_PNG");
    bumpmap1.load(this, "BUMPMAP2_PNG", "PHONGMAP1_PNG");
    bumpmap2.load(this, "BUMPMAP2_PNG", "PHONGMAP2_PNG");
    dancers.load(this, "DANCERS_PNG");
    neon.load(this, "NEON_PNG");
    specs.load(this, "SPECS_PNG");
    mrsHollow.load(this, "MRSHOLLOW_PNG");
    breakScreen.load(this, "BREAK_PNG");
    welcome.load(this, "WELCOME_PNG");
    gogo1.load(this, "GOGO1_PNG", 49);
    gogo2.load(this, "GOGO2_PNG", 49);
    gogo3.load(this, "GOGO3_PNG", 49);
    live.load(this, "LIVE_PNG", 262, 12);
    brutal.load(this, "BRUTAL_PNG", 49);
    melon1.load(this, "MELON_PNG", 12, 12);
    melon2.load(this, "MELON_PNG", 244, 164);

    mibobo.init(this);

    // The feedback pair keeps one scratch frame for the whole show, so that the picture stored in
    // one pass is there for the next, across events.
    feeder.init(this);
    feeder.feedbackFrame = display.borrowScratch();
    eater.init(this);
    eater.feeder = &feeder;

    metaBalls101.init(this);
    metaBalls102.init(this);
    metaBalls103.init(this);
    metaBalls104.init(this);
    mandelbrot101.init(this);
    mandelbrot102.init(this);

    syncobeam.init(this);
    syncobeam.originX = 160;
    syncobeam.originY = 60;
    syncobeam.centreX = 160;
    syncobeam.centreY = 120;
    syncobeam.period = 1950;

    creditsScroll.load(this, "CREDITS_PNG", 140, 15400);
    qrScroll.load(this, "QR_PNG", 152, 10725);

    blackness.init(this);
    whiteness.init(this);
    magicPink.init(this);
    rgbug.init(this);
    noise.init(this);
    flipper.init(this);

    spiral101.init(this);
    spiral102.init(this);
    spiral103.init(this);
    spiral104.init(this);
    lines1.init(this);
    lines2.init(this);
    plasma.init(this);
    plasma101.init(this);

    rotatingWarpmap1.init(this);
    rotatingWarpmap1.angle = floatBits(0xBDD67750);  // -pi/30
    rotatingWarpmap1.scale = floatBits(0x3F7AE148);  // 0.98
    rotatingWarpmap2.init(this);
    rotatingWarpmap2.angle = floatBits(0x3DD67750);  // pi/30
    rotatingWarpmap2.scale = floatBits(0x3F7D70A4);  // 0.99
    sinusWarpmap.init(this);
    speckle.init(this);
    speckle.saltCount = 32;
    speckle.pepperCount = 32;
    rainbowSeed.init(this);
    vote.init(this);
    vote.text = "VOTE";

    // Not reformatted: the kernels in columns.
    // clang-format off
    //                     shift bias  k0  k1  k2  k3  k4  k5  k6  k7  k8
    soften.initFilter(this,    3,   0,  0,  1,  0,  1,  4,  1,  0,  1,  0);
    blur.initFilter(this,      4,   0,  1,  3,  1,  3,  2,  3,  1,  3,  1);
    sharpen.initFilter(this,   3,   0, -1, -1, -1, -1, 16, -1, -1, -1, -1);
    emboss.initFilter(this,    1,   0,  1,  2,  0,  2,  2, -2,  0, -2, -1);
    edge.initFilter(this,      0,   0,  1,  1,  1,  1, -8,  1,  1,  1,  1);
    // clang-format on

    copy.init(this);
    canvas.init(this);
    trash.init(this);
    mixMin.init(this);
    mixMax.init(this);
    mixMul.init(this);
    mixXor.init(this);
    mix5050.init(this);
    mix2575.init(this);
    mix7525.init(this);
    dither5050.init(this);
    crossfade.init(this);
}

void Velmora::row(int start, int duration, std::initializer_list<Cue> cues) {
    for (const Cue& cue : cues) {
        int length = cue.duration >= 0 ? cue.duration : duration;
        if (cue.phase != 0) {
            timeline.add(start, length, cue.effect, cue.phase);
        } else {
            timeline.add(start, length, cue.effect);
        }
    }
}

void Velmora::chapter(int scancode, int start) { setKeyJump(scancode, start); }

void Velmora::checkKeypoint(int computed, int expected) {
    if (computed != expected) warn("Keypoint out of sync.");
}

}  // namespace Zorvek
