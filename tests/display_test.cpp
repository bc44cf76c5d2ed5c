#include "display/display.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

#include "display/graphics_modes.h"
#include "support/fake_screen.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

constexpr const char* OUT_OF_SCRATCH =
    "^Out of scratch frames; use less stacked efents or increase Display::NUM_SCRATCH\\.\n$";

// A screen that offers the modes a test names, and remembers every mode asked for.
class FakeModes final : public GraphicsModes {
public:
    using Request = std::tuple<bool, int, int>;  // windowed, width, height
    std::set<Request> available;
    std::vector<GFX_MODE> list;
    std::vector<Request> asked;

    bool set(bool windowed, int width, int height) override {
        asked.emplace_back(windowed, width, height);
        return available.count({windowed, width, height}) > 0;
    }
    std::span<const GFX_MODE> fullscreenModes() override { return list; }
};

Display& fullscreenRequest(Display& d, int width, int height) {
    d.windowed = 0;
    d.width = width;
    d.height = height;
    return d;
}

}  // namespace

TEST(DisplayModeChoice, TheExactFullscreenModeIsTakenAsItIs) {
    Display d;
    FakeModes modes;
    modes.available = {{false, 320, 240}, {false, 640, 480}};
    fullscreenRequest(d, 320, 240).chooseMode(modes);
    EXPECT_EQ(d.scaling, 1);
    EXPECT_EQ(d.windowed, 0);
    EXPECT_EQ(modes.asked.size(), 1u);
}

TEST(DisplayModeChoice, WithoutTheRenderSizeTheDoubledModeStretchesEveryFrame) {
    Display d;
    FakeModes modes;
    modes.available = {{false, 640, 480}};
    fullscreenRequest(d, 320, 240).chooseMode(modes);
    EXPECT_EQ(d.scaling, 2);
    EXPECT_EQ(d.windowed, 0);
    EXPECT_EQ(modes.asked.back(), FakeModes::Request(false, 640, 480));
}

TEST(DisplayModeChoice, OnlyTheSmallRenderWidthsAreDoubled) {
    Display d;
    FakeModes modes;
    modes.available = {{false, 600, 400}, {true, 300, 200}};
    fullscreenRequest(d, 300, 200).chooseMode(modes);
    EXPECT_EQ(d.windowed, 1);
    EXPECT_EQ(std::count(modes.asked.begin(), modes.asked.end(), FakeModes::Request(false, 600, 400)),
              0);
}

TEST(DisplayModeChoice, TheFirstListedThirtyTwoBitModeThatHoldsTheFrameIsTriedInListOrder) {
    Display d;
    FakeModes modes;
    modes.list = {{1024, 768, 32}, {300, 200, 16}, {320, 199, 32}, {800, 600, 32}, {640, 480, 32}};
    modes.available = {{false, 800, 600}, {false, 640, 480}};
    fullscreenRequest(d, 300, 200).chooseMode(modes);
    EXPECT_EQ(d.scaling, 1);  // centred, not stretched
    EXPECT_EQ(d.windowed, 0);
    std::vector<FakeModes::Request> expected = {
        {false, 300, 200}, {false, 1024, 768}, {false, 800, 600}};
    EXPECT_EQ(modes.asked, expected);
}

TEST(DisplayModeChoice, WhenTheDoubledModeFailsTooTheListIsWalked) {
    Display d;
    FakeModes modes;
    modes.list = {{800, 600, 32}};
    modes.available = {{false, 800, 600}};
    fullscreenRequest(d, 320, 240).chooseMode(modes);
    std::vector<FakeModes::Request> expected = {
        {false, 320, 240}, {false, 640, 480}, {false, 800, 600}};
    EXPECT_EQ(modes.asked, expected);
    EXPECT_EQ(d.scaling, 1);
    EXPECT_EQ(d.windowed, 0);
}

TEST(DisplayModeChoice, WhenNoFullscreenModeWorksTheShowOpensAWindowAtTheRenderSize) {
    Display d;
    FakeModes modes;  // and no mode list at all
    modes.available = {{true, 320, 240}};
    fullscreenRequest(d, 320, 240).chooseMode(modes);
    EXPECT_EQ(d.windowed, 1);
    EXPECT_EQ(d.scaling, 1);
    EXPECT_EQ(modes.asked.back(), FakeModes::Request(true, 320, 240));
}

TEST(DisplayModeChoice, AFailedWindowedRequestIsFatalAtOnce) {
    Display d;
    FakeModes modes;
    modes.available = {{false, 320, 240}, {false, 640, 480}};  // a fall-back would succeed
    d.windowed = 1;
    d.width = 320;
    d.height = 240;
    EXPECT_EXIT(d.chooseMode(modes), ::testing::ExitedWithCode(STATUS_GRAPHICS),
                "^Fatal error initializing windowed graphics mode\\.\n$");
}

TEST(DisplayModeChoice, WhenEvenTheWindowFailsAfterTheFallBacksTheProgramEnds) {
    Display d;
    FakeModes modes;
    modes.list = {{1024, 768, 32}};
    fullscreenRequest(d, 320, 240);
    EXPECT_EXIT(d.chooseMode(modes), ::testing::ExitedWithCode(STATUS_GRAPHICS),
                "^Fatal error initializing graphics mode\\.\n$");
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
    EXPECT_EXIT(demo.display.borrowScratch(), ::testing::ExitedWithCode(STATUS_MISUSE),
                OUT_OF_SCRATCH);
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
                "^Error allocating video memory\\.\n$");
#endif
}

TEST(DisplayPresent, AFrameIsCentredOnALargerScreenAndTheBorderIsLeftAlone) {
    HeadlessDemo demo;
    FakeScreen screenOf(640, 480, 0x123456);
    Display& d = demo.display;
    d.direct = 1;
    d.scaling = 1;
    Bitmap frame(0x00FF00);
    setPixel(frame, 0, 0, 0xFF0000);
    setPixel(frame, 319, 239, 0x0000FF);
    d.present(frame);
    EXPECT_EQ(pixel(screenOf.get(), 160, 120), 0xFF0000u);
    EXPECT_EQ(pixel(screenOf.get(), 479, 359), 0x0000FFu);
    EXPECT_EQ(pixel(screenOf.get(), 300, 200), 0x00FF00u);
    EXPECT_EQ(pixel(screenOf.get(), 159, 120), 0x123456u);
    EXPECT_EQ(pixel(screenOf.get(), 480, 360), 0x123456u);
    EXPECT_EQ(pixel(screenOf.get(), 0, 0), 0x123456u);
}

TEST(DisplayPresent, ADoubledScreenShowsEveryPixelAsATwoByTwoBlock) {
    HeadlessDemo demo;
    FakeScreen screenOf(640, 480);
    Display& d = demo.display;
    d.direct = 1;
    d.scaling = 2;
    Bitmap frame(0x000000);
    setPixel(frame, 10, 20, 0xABCDEF);
    d.present(frame);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) EXPECT_EQ(pixel(screenOf.get(), 20 + dx, 40 + dy), 0xABCDEFu);
    EXPECT_EQ(pixel(screenOf.get(), 22, 40), 0u);
    EXPECT_EQ(pixel(screenOf.get(), 20, 42), 0u);
}

TEST(DisplayPresent, PageFlippingDrawsIntoTheHiddenPageAndAlternates) {
    HeadlessDemo demo;
    FakeScreen screenOf(320, 240, 0x777777);
    Display& d = demo.display;
    Bitmap page0(0), page1(0);
    d.pages[0] = page0;
    d.pages[1] = page1;
    d.direct = 0;
    d.scaling = 1;
    d.shownPage = 0;
    d.drawPage = 1;
    Bitmap red(0xFF0000), blue(0x0000FF);
    d.present(red);
    EXPECT_EQ(pixel(page1, 5, 5), 0xFF0000u);
    EXPECT_EQ(pixel(page0, 5, 5), 0u);
    EXPECT_EQ(d.shownPage, 1);
    EXPECT_EQ(d.drawPage, 0);
    d.present(blue);
    EXPECT_EQ(pixel(page0, 5, 5), 0x0000FFu);
    EXPECT_EQ(pixel(page1, 5, 5), 0xFF0000u);
    EXPECT_EQ(d.shownPage, 0);
    EXPECT_EQ(d.drawPage, 1);
    EXPECT_EQ(pixel(screenOf.get(), 5, 5), 0x777777u);  // the visible screen is not drawn on
    d.pages[0] = d.pages[1] = nullptr;
}

TEST(DisplayPresent, AFrameThatIsAVideoBitmapIsNotCopied) {
    HeadlessDemo demo;
    FakeScreen screenOf(320, 240, 0x777777);
    Display& d = demo.display;
    d.direct = 1;
    d.scaling = 1;
    Bitmap page(0xFF0000);
    page.get()->id |= BMP_ID_VIDEO;
    d.present(page);
    page.get()->id &= ~BMP_ID_VIDEO;
    EXPECT_EQ(pixel(screenOf.get(), 5, 5), 0x777777u);
}

// Needs an X server (the test suite runs under Xvfb when there is no display).
TEST(DisplayUnderX11, AModeSwitchRecreatesThePagesButKeepsTheScratchFramesAndTheirLoans) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    Demo demo;
    Display& d = demo.display;
    d.setMode(0, 0, 320, 240, 32);
    ASSERT_NE(screen, nullptr);
    EXPECT_GE(SCREEN_W, 320);
    EXPECT_GE(SCREEN_H, 240);
    BITMAP* before[Display::NUM_SCRATCH];
    for (int i = 0; i < Display::NUM_SCRATCH; ++i) before[i] = d.scratch[i];
    BITMAP* lent = d.borrowScratch();
    clear_to_color(lent, 0x00ABCDEF);

    d.setMode(!d.windowed, d.direct, d.width, d.height, d.depth);
    EXPECT_EQ(d.windowed, 1);
    for (int i = 0; i < Display::NUM_SCRATCH; ++i) EXPECT_EQ(d.scratch[i], before[i]);
    EXPECT_TRUE(d.inUse[0]);
    EXPECT_FALSE(d.inUse[1]);
    EXPECT_EQ(pixel(lent, 100, 100), 0xABCDEFu);
    EXPECT_EQ(d.shownPage, 0);
    EXPECT_EQ(d.drawPage, 1);
    d.present(lent);  // must not fault, whichever presentation the driver allows
}
