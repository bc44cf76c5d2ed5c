#include "display/display.h"

#include <SDL2/SDL.h>
#include <allegro.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "display/pacer.h"
#include "display/per_second.h"
#include "display/picture_fit.h"
#include "platform/desktop/sdl_screen.h"
#include "support/fake_screen.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

constexpr const char* OUT_OF_SCRATCH =
    "^Out of scratch frames; use less stacked efents or increase Display::NUM_SCRATCH\\.\n$";

// A display that takes the show's first mode request on a stand-in screen.
struct OnScreen {
    HeadlessDemo demo;
    FakeScreen screen;
    Display& d = demo.display;
    OnScreen() {
        d.headless = false;
        d.screen = &screen;
    }
    ~OnScreen() { d.screen = nullptr; }
};

}  // namespace

TEST(DisplayMode, FullscreenIsAskedForAsTheShowAsksAndAWindowWhenItIsRefused) {
    {
        OnScreen a;
        a.d.setMode(0, 0, 320, 240, 32);
        EXPECT_EQ(a.d.windowed, 0);
        EXPECT_EQ(a.screen.opened, std::vector<bool>{false});
    }
    OnScreen b;  // one demo at a time: the library goes with it
    b.screen.fullscreenWorks = false;
    b.d.setMode(0, 0, 320, 240, 32);
    EXPECT_EQ(b.d.windowed, 1);
    EXPECT_EQ(b.screen.opened, (std::vector<bool>{false, true}));
}

TEST(DisplayMode, AWindowThatIsRefusedIsFatalAtOnceWithoutFallingBack) {
    OnScreen a;
    a.screen.windowWorks = false;
    EXPECT_EXIT(a.d.setMode(1, 0, 320, 240, 32), ::testing::ExitedWithCode(STATUS_GRAPHICS),
                "^Fatal error initializing windowed graphics mode\\.\n$");
    a.screen.fullscreenWorks = false;
    EXPECT_EXIT(a.d.setMode(0, 0, 320, 240, 32), ::testing::ExitedWithCode(STATUS_GRAPHICS),
                "^Fatal error initializing graphics mode\\.\n$");
}

TEST(DisplayMode, TheViewersChoiceOfWindowHoldsForTheFirstModeOnlyAndF11SwitchesAway) {
    OnScreen a;
    a.d.settings.windowed = 1;
    a.d.setMode(0, 0, 320, 240, 32);  // the show asks for fullscreen
    EXPECT_EQ(a.d.windowed, 1);
    a.d.setMode(!a.d.windowed, a.d.direct, a.d.width, a.d.height, a.d.depth);
    EXPECT_EQ(a.d.windowed, 0);
    EXPECT_EQ(a.screen.opened, (std::vector<bool>{true, false}));
}

TEST(DisplayMode, ASwitchReopensTheScreenButKeepsTheScratchFramesAndTheirLoans) {
    OnScreen a;
    a.d.setMode(0, 0, 320, 240, 32);
    BITMAP* before[Display::NUM_SCRATCH];
    for (int i = 0; i < Display::NUM_SCRATCH; ++i) before[i] = a.d.scratch[i];
    BITMAP* lent = a.d.borrowScratch();
    clear_to_color(lent, 0x00ABCDEF);
    a.d.setMode(!a.d.windowed, a.d.direct, a.d.width, a.d.height, a.d.depth);
    EXPECT_EQ(a.d.windowed, 1);
    for (int i = 0; i < Display::NUM_SCRATCH; ++i) EXPECT_EQ(a.d.scratch[i], before[i]);
    EXPECT_TRUE(a.d.inUse[0]);
    EXPECT_FALSE(a.d.inUse[1]);
    EXPECT_EQ(pixel(lent, 100, 100), 0xABCDEFu);
    EXPECT_EQ(a.screen.opened.size(), 2u);
}

TEST(DisplayMode, EffectsStepAsAtSixtyWhateverRateTheScreenPresentsAt) {
    // The passes that feed the show's feedback keep to 60 a second on every display, so the
    // warp must not take its turn from the screen's rate.
    OnScreen a;
    a.screen.pacer.setDisplay(144, true);
    a.d.setMode(0, 0, 320, 240, 32);
    EXPECT_EQ(a.d.refreshRate, 0);
    EXPECT_EQ(a.d.refreshInterval(), 1'000'000'000 / 144);
}

TEST(DisplayScratch, FramesAreLentLowestFirstAndComeBackToThePool) {
    HeadlessDemo demo;
    Display& d = demo.display;
    std::set<BITMAP*> lent;
    for (int i = 0; i < Display::NUM_SCRATCH; ++i) {
        BITMAP* f = d.borrowScratch();
        EXPECT_EQ(f, d.scratch[i]);
        EXPECT_EQ(f->w, 320);
        EXPECT_EQ(f->h, 240);
        EXPECT_EQ(bitmap_color_depth(f), 32);
        lent.insert(f);
    }
    EXPECT_EQ(lent.size(), 14u);
    d.returnScratch(d.scratch[5]);
    d.returnScratch(d.scratch[2]);
    EXPECT_FALSE(d.inUse[2]);
    EXPECT_EQ(d.borrowScratch(), d.scratch[2]);
    EXPECT_EQ(d.borrowScratch(), d.scratch[5]);
}

TEST(DisplayScratch, TheMostFramesEverLentAtOnceAreKept) {
    HeadlessDemo demo;
    Display& d = demo.display;
    BITMAP* a = d.borrowScratch();
    BITMAP* b = d.borrowScratch();
    d.returnScratch(a);
    d.returnScratch(a);  // given back twice: counted once
    d.borrowScratch();
    EXPECT_EQ(d.lent, 2);
    EXPECT_EQ(d.mostLent, 2);
    d.borrowScratch();
    d.returnScratch(b);
    EXPECT_EQ(d.lent, 2);
    EXPECT_EQ(d.mostLent, 3);
}

TEST(DisplayScratch, TheFifteenthBorrowEndsTheProgram) {
    HeadlessDemo demo;
    for (int i = 0; i < Display::NUM_SCRATCH; ++i) demo.display.borrowScratch();
    EXPECT_EXIT(demo.display.borrowScratch(), ::testing::ExitedWithCode(STATUS_MISUSE), OUT_OF_SCRATCH);
}

TEST(DisplayScratch, ReturningAFrameThatIsNotAScratchFrameEndsTheProgram) {
    HeadlessDemo demo;
    Bitmap stranger(0);
    demo.display.borrowScratch();
    EXPECT_EXIT(demo.display.returnScratch(stranger), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^Failed to free scratch frame\\.\n$");
}

TEST(DisplayScratch, ReturningAFrameThatWasNotLentLeavesItFree) {
    HeadlessDemo demo;
    demo.display.returnScratch(demo.display.scratch[3]);
    EXPECT_FALSE(demo.display.inUse[3]);
    EXPECT_EQ(demo.display.borrowScratch(), demo.display.scratch[0]);
}

TEST(DisplayScratch, AScratchFrameThatCannotBeCreatedEndsTheProgram) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    HeadlessDemo demo;
    demo.display.destroyBitmaps();
    auto starve = [&] {
        rlimit limit{256u << 20, 256u << 20};
        setrlimit(RLIMIT_AS, &limit);
        demo.display.setHeadless(8000, 8000, 32);  // 256 MB a frame
    };
    EXPECT_EXIT(starve(), ::testing::ExitedWithCode(STATUS_GRAPHICS),
                "^Out of memory making the scratch frames \\(14 of 8000 x 8000\\)\\.\n$");
#endif
}

namespace {

// SDL's video without any display (its dummy driver), for the picture as the screen draws it.
struct DummyVideo : ::testing::Test {
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(SdlScreen::connect());
    }
    static void TearDownTestSuite() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    HeadlessDemo demo;  // the library, for the frames
    Bitmap frame{0x203040};
    DummyVideo() {
        setPixel(frame, 0, 0, 0xFF0000);
        setPixel(frame, 319, 239, 0x0000FF);
        setPixel(frame, 10, 20, 0x00FF00);
    }
    // The window's pixels after the screen has shown `frame`.
    std::vector<std::uint32_t> shown(SdlScreen& screen, int& w, int& h) {
        screen.show(frame);
        SDL_GetRendererOutputSize(screen.sdlRenderer(), &w, &h);
        std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
        SDL_RenderReadPixels(screen.sdlRenderer(), nullptr, SDL_PIXELFORMAT_RGB888, out.data(), w * 4);
        return out;
    }
};

}  // namespace

TEST_F(DummyVideo, AFrameFillsTheWindowAtTheLargestWholeMultipleCentredOnBlack) {
    SdlScreen screen({}, "Zorvek");
    ASSERT_TRUE(screen.open(true, 320, 240));
    int w = 0, h = 0;
    shown(screen, w, h);
    EXPECT_EQ(w, 640);  // the default window on a 1024 x 768 desktop
    EXPECT_EQ(h, 480);
    SDL_Window* window = SDL_RenderGetWindow(screen.sdlRenderer());
    SDL_SetWindowSize(window, 1000, 800);
    SDL_PumpEvents();
    std::vector<std::uint32_t> px = shown(screen, w, h);
    ASSERT_EQ(w, 1000);
    ASSERT_EQ(h, 800);
    EXPECT_EQ(screen.picture(), (Area{20, 40, 960, 720}));
    auto at = [&](int x, int y) { return px[static_cast<std::size_t>(y) * w + x] & 0xFFFFFF; };
    EXPECT_EQ(at(20, 40), 0xFF0000u);
    EXPECT_EQ(at(22, 42), 0xFF0000u);  // one frame pixel is a 3 x 3 square
    EXPECT_EQ(at(23, 40), 0x203040u);
    EXPECT_EQ(at(20 + 30, 40 + 60), 0x00FF00u);
    EXPECT_EQ(at(20 + 32, 40 + 62), 0x00FF00u);
    EXPECT_EQ(at(979, 759), 0x0000FFu);
    EXPECT_EQ(at(19, 400), 0u);
    EXPECT_EQ(at(980, 400), 0u);
    EXPECT_EQ(at(500, 39), 0u);
    EXPECT_EQ(at(500, 760), 0u);
}

TEST_F(DummyVideo, FullscreenTakesTheDesktopAndAHeldPictureStaysOnShow) {
    SdlScreen screen({}, "Zorvek");
    ASSERT_TRUE(screen.open(false, 320, 240));
    // Whatever was there before, the band around the picture is drawn black.
    SDL_SetRenderDrawColor(screen.sdlRenderer(), 255, 255, 255, 255);
    SDL_RenderClear(screen.sdlRenderer());
    int w = 0, h = 0;
    std::vector<std::uint32_t> px = shown(screen, w, h);
    EXPECT_EQ(screen.picture(), (Area{32, 24, 960, 720}));
    for (int at : {0, 31 + 100 * w, 992 + 100 * w, 1023 + 767 * w, 500 + 745 * w})
        EXPECT_EQ(px[static_cast<std::size_t>(at)] & 0xFFFFFF, 0u) << at % w << ", " << at / w;
    clear_to_color(frame, 0);
    screen.show(nullptr);
    std::uint32_t held = 0;
    SDL_Rect one{32 + 30, 24 + 60, 1, 1};
    SDL_RenderReadPixels(screen.sdlRenderer(), &one, SDL_PIXELFORMAT_RGB888, &held, 4);
    EXPECT_EQ(held & 0xFFFFFF, 0x00FF00u);
}

TEST_F(DummyVideo, TheScreensOwnEnlargingGivesSdlsPixelsAtEverySizeAndAfterEveryChange) {
    std::uint32_t seed = 12345;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) setPixel(frame, x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    SdlScreen own({}, "Zorvek"), sdls({}, "Zorvek");
    sdls.enlargeOnOwn(false);
    ASSERT_TRUE(own.open(true, 320, 240));
    ASSERT_TRUE(sdls.open(true, 320, 240));
    for (auto [w, h] : {std::pair{1000, 800}, {640, 480}, {333, 250}, {1280, 720}, {1300, 960}, {1600, 1200}}) {
        for (SdlScreen* screen : {&own, &sdls}) {
            SDL_SetWindowSize(SDL_RenderGetWindow(screen->sdlRenderer()), w, h);
            SDL_PumpEvents();
        }
        int ow = 0, oh = 0, sw = 0, sh = 0;
        const std::vector<std::uint32_t> a = shown(own, ow, oh), b = shown(sdls, sw, sh);
        ASSERT_EQ(ow, w);
        ASSERT_EQ(sw, w);
        ASSERT_EQ(oh, sh);
        EXPECT_EQ(own.picture(), sdls.picture());
        std::size_t differ = 0;
        for (std::size_t i = 0; i < a.size(); ++i) differ += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
        EXPECT_EQ(differ, 0u) << w << " x " << h;
        // The same picture again, or none: what is on show stays.
        own.show(nullptr);
        std::vector<std::uint32_t> again(a.size());
        SDL_RenderReadPixels(own.sdlRenderer(), nullptr, SDL_PIXELFORMAT_RGB888, again.data(), w * 4);
        EXPECT_EQ(again, a);
    }
}

TEST_F(DummyVideo, SmoothScalingFillsTheWindowsWidthAndKeepsTheShape) {
    ScreenSettings smooth;
    smooth.smooth = true;
    smooth.windowScale = 2;
    SdlScreen screen(smooth, "Zorvek");
    ASSERT_TRUE(screen.open(true, 320, 240));
    SDL_SetWindowSize(SDL_RenderGetWindow(screen.sdlRenderer()), 1000, 800);
    SDL_PumpEvents();
    int w = 0, h = 0;
    shown(screen, w, h);
    EXPECT_EQ(screen.picture(), (Area{0, 25, 1000, 750}));
}

TEST(PictureFit, TheLargestWholeMultipleOnAnyScreenAndAShrunkFrameOnATinyOne) {
    EXPECT_EQ(fitPicture(320, 240, 3840, 2160, false), (Area{480, 0, 2880, 2160}));
    EXPECT_EQ(fitPicture(320, 240, 1920, 1080, false), (Area{320, 60, 1280, 960}));
    EXPECT_EQ(fitPicture(320, 240, 640, 1000, false), (Area{0, 260, 640, 480}));
    EXPECT_EQ(fitPicture(320, 240, 200, 300, false), (Area{0, 75, 200, 150}));
    EXPECT_EQ(fitPicture(320, 240, 1920, 1080, true), (Area{240, 0, 1440, 1080}));
}

TEST(PictureFit, TheDefaultWindowIsAWholeMultipleWithinMostOfTheDesktop) {
    EXPECT_EQ(defaultWindow(320, 240, 1024, 768), (Area{0, 0, 640, 480}));
    EXPECT_EQ(defaultWindow(320, 240, 1920, 1050), (Area{0, 0, 960, 720}));
    EXPECT_EQ(defaultWindow(320, 240, 3840, 2110), (Area{0, 0, 2240, 1680}));
    EXPECT_EQ(defaultWindow(320, 240, 300, 200), (Area{0, 0, 320, 240}));
}

namespace {
constexpr Nanos MS = 1'000'000;
constexpr Nanos START = 5'000 * MS;
}  // namespace

TEST(Pacer, WithoutVsyncPresentsFollowTheRefreshWithoutDriftAndLatePassesDoNotBurst) {
    Pacer p;
    p.setDisplay(60, false);
    Nanos first = p.presentAt(START);
    EXPECT_EQ(first, START);
    Nanos at = first;
    for (int i = 1; i <= 600; ++i) {
        at = p.presentAt(at - 3 * MS);  // every pass ready early: it waits for its slot
        p.presented(at);
    }
    EXPECT_NEAR(static_cast<double>(at - first), 10e9, 1e3);
    // Passes a few refreshes late are shown at once and catch up on the slots they missed...
    const Nanos i = p.interval();
    Nanos late = at + 5 * i / 2;
    EXPECT_EQ(p.presentAt(late), late);
    EXPECT_EQ(p.presentAt(late + MS), late + MS);
    EXPECT_EQ(p.presentAt(late + 2 * MS), at + 3 * i);
    // ...but one far behind starts a new series instead of hurrying through the missed slots.
    Nanos stalled = at + 40 * i;
    EXPECT_EQ(p.presentAt(stalled), stalled);
    EXPECT_EQ(p.presentAt(stalled), stalled + i);
}

TEST(Pacer, VsyncThatDoesNotWaitIsFoundOutAndReplacedBySleeping) {
    Pacer p;
    p.setDisplay(60, true);
    Nanos t = START;
    int found = 0;
    for (int i = 0; i < 40; ++i) {
        if (p.pacedByVsync()) {
            EXPECT_EQ(p.presentAt(t), t);
        }
        t = p.presentAt(t);
        found += p.presented(t);
        t += MS;  // presents that return at once
    }
    EXPECT_EQ(found, 1);
    EXPECT_FALSE(p.pacedByVsync());
    p.setDisplay(60, true);  // a new window: vsync is not trusted again
    EXPECT_FALSE(p.pacedByVsync());
}

TEST(Pacer, RealVsyncIsTrustedThroughSlowPasses) {
    Pacer p;
    p.setDisplay(144, true);
    Nanos t = START;
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(p.presentAt(t), t);
        EXPECT_FALSE(p.presented(t));
        t += (i % 10 == 0 ? 2 : 1) * 6'944'444;  // now and then a pass misses a refresh
    }
    EXPECT_TRUE(p.pacedByVsync());
    EXPECT_EQ(p.refreshRate(), 144);
    EXPECT_NEAR(p.recentRate(), 144.0, 0.1);
}

TEST(PerSecond, TheMedianCountsEveryWholeSecondIncludingOnesWithoutAPresent) {
    PerSecond p;
    Nanos t = START;
    auto second = [&](int presents) {
        for (int i = 0; i < presents; ++i) p.count(t + i * (1'000 * MS / presents));
        t += 1'000 * MS;
    };
    for (int n : {60, 59, 60, 61, 60, 12, 60}) second(n);
    t += 3'000 * MS;  // three seconds without a present (the window hidden, a stall)
    second(1);
    second(60);
    EXPECT_EQ(p.seconds(), 11);
    EXPECT_EQ(p.median(), 59);  // 0 0 0 1 12 (59) 60 60 60 60 61
    second(60);
    second(60);
    EXPECT_EQ(p.median(), 60);
}
