// The show's set-up and its whole schedule, played through real passes on the generated pictures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/controls.h"
#include "runtime/main_loop.h"
#include "parallel/worker_pool.h"
#include "show/velmora.h"
#include "support/allocations.h"
#include "support/headless.h"
#include "support/show_module.h"
#include "process/show_random.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

class ShowInAssetDir {
public:
    explicit ShowInAssetDir(const std::string& dir) {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        show = std::make_unique<Velmora>(DemoMode::Headless);
        show->display.setHeadless(320, 240, 32);
        show->script();
    }
    ~ShowInAssetDir() { std::filesystem::current_path(previous); }
    Velmora& operator*() { return *show; }
    Velmora* operator->() { return show.get(); }

private:
    std::filesystem::path previous;
    std::unique_ptr<Velmora> show;
};

struct Chapter {
    int key;
    int start;
    int events;
};

const Chapter CHAPTERS[] = {
    {KEY_F1, 0, 72},       {KEY_F2, 15000, 25},   {KEY_F3, 45000, 46},    {KEY_F4, 76200, 10},
    {KEY_F5, 93800, 18},   {KEY_F6, 109480, 96},  {KEY_F7, 140880, 87},   {KEY_F8, 172280, 47},
    {KEY_F9, 203480, 116}, {KEY_F10, 232730, 38}, {KEY_F12, 250724, 167},
};

}  // namespace

class ShowSetUp : public ::testing::Test {
protected:
    static void SetUpTestSuite() { show = new ShowInAssetDir(assetDir()); }
    static void TearDownTestSuite() {
        delete show;
        show = nullptr;
    }
    static ShowInAssetDir* show;
};
ShowInAssetDir* ShowSetUp::show = nullptr;

TEST_F(ShowSetUp, HasAllEventsInChaptersOfTheExpectedSizes) {
    Timeline& t = (*show)->timeline;
    ASSERT_EQ(t.count, 722);
    for (int c = 0; c < 11; ++c) {
        int from = CHAPTERS[c].start;
        int to = c + 1 < 11 ? CHAPTERS[c + 1].start : 1 << 30;
        int n = 0;
        for (int i = 0; i < t.count; ++i) n += t.events[i].start >= from && t.events[i].start < to;
        EXPECT_EQ(n, CHAPTERS[c].events) << "chapter starting at " << from;
    }
}

TEST_F(ShowSetUp, SetsTheChapterKeysFromTheMovieLength) {
    for (const Chapter& c : CHAPTERS) EXPECT_EQ(keyJump[c.key], c.start) << "key " << c.key;
    EXPECT_EQ(keyJump[KEY_F11], -1);  // F11 switches between window and fullscreen
}

TEST_F(ShowSetUp, EndsWithTheEndScreenAtTheFixedEnd) {
    Velmora& v = **show;
    Timeline& t = v.timeline;
    EXPECT_EQ(t.events[t.count - 1].effect, &v.rgbug);
    EXPECT_EQ(t.events[t.count - 1].end, 282931);
    int lastEnd = 0;
    for (int i = 0; i < t.count; ++i) lastEnd = std::max(lastEnd, t.events[i].end);
    EXPECT_EQ(lastEnd, 286999);
    EXPECT_EQ(t.events[t.count - 4].effect, &v.endScreen);
    EXPECT_EQ(t.events[t.count - 4].end, 286999);
    EXPECT_EQ(t.events[t.count - 3].effect, &v.copy);
    EXPECT_EQ(t.events[t.count - 3].end, 286999);
}

TEST_F(ShowSetUp, HoldsTheThirtySevenPicturesOnceEach) {
    Loader& loader = (*show)->loader;
    EXPECT_EQ(loader.count, 37);
    // Shared pictures carry one reference per holder.
    auto refs = [&](const char* name) {
        std::string path = std::string("oldskool.dat#") + name;
        for (int i = 0; i < loader.count; ++i)
            if (path == loader.entries[i].name) return loader.entries[i].refCount;
        return 0;
    };
    EXPECT_EQ(refs("MELON_PNG"), 2);
    EXPECT_EQ(refs("BUMPMAP1_PNG"), 2);
    EXPECT_EQ(refs("BUMPMAP2_PNG"), 2);
    EXPECT_EQ(refs("PHONGMAP1_PNG"), 2);
    EXPECT_EQ(refs("PHONGMAP2_PNG"), 2);
    EXPECT_EQ(refs("ZVKLOGO1_PNG"), 1);
}

TEST_F(ShowSetUp, LoadsThePicturesInTheScriptsOrder) {
    // Nothing is released during the set-up, so the cache holds the pictures in the order they
    // were first asked for.
    const char* order[] = {
        "ZVKLOGO1_PNG",  "ZVKLOGO2_PNG",  "ZVKLOGO8_PNG", "ZVKNUDE1_PNG",     "ZVKNUDE2_PNG",       "ZVKNUDE2B_PNG",
        "ZVKNUDE3_PNG",  "ZVKNUDE4_PNG",  "ZVKLOGO4_PNG", "ZVKTAG_1BIT_PNG",  "ZVKTAG_PNG",         "TESTED_PNG",
        "VELMORA1_PNG",  "VELMORA2_PNG",  "FRAME_PNG",    "WARNING_PNG",      "ENDSCREEN_PNG",      "BUMPMAP1_PNG",
        "PHONGMAP1_PNG", "PHONGMAP2_PNG", "BUMPMAP2_PNG", "DANCERS_PNG",      "NEON_PNG",           "SPECS_PNG",
        "MRSHOLLOW_PNG", "BREAK_PNG",     "WELCOME_PNG",  "GOGO1_PNG",        "GOGO2_PNG",          "GOGO3_PNG",
        "LIVE_PNG",      "BRUTAL_PNG",    "MELON_PNG",    "MIBOBO_PHOTO_PNG", "MIBOBO_TEXTURE_PNG", "CREDITS_PNG",
        "QR_PNG",
    };
    Loader& loader = (*show)->loader;
    ASSERT_EQ(loader.count, 37);
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(std::string(loader.entries[i].name), std::string("oldskool.dat#") + order[i]) << "entry " << i;
}

TEST_F(ShowSetUp, GivesEveryEffectItsPeriod) {
    Velmora& v = **show;
    EXPECT_EQ(v.crossfade.period, 0);
    EXPECT_EQ(v.qrScroll.period, 10725);
    EXPECT_EQ(v.creditsScroll.period, 15400);
    EXPECT_EQ(v.metaBalls101.period, 2000);
    EXPECT_EQ(v.metaBalls102.period, 16000);
    EXPECT_EQ(v.metaBalls103.period, 10000);
    EXPECT_EQ(v.metaBalls104.period, 5850);
    EXPECT_EQ(v.mandelbrot101.period, 25000);
    EXPECT_EQ(v.mandelbrot102.period, 25000);
    EXPECT_EQ(v.gogo1.period, 980);
    EXPECT_EQ(v.gogo2.period, 2 * 49 * v.gogo2.movieFrames);
    EXPECT_EQ(v.brutal.period, 2 * 49 * v.brutal.movieFrames);
    EXPECT_EQ(v.syncobeam.period, 1950);
    EXPECT_EQ(v.flipper.period, 8000);
    EXPECT_EQ(v.spiral103.period, 1950);
    EXPECT_EQ(v.plasma101.period, 5000);
    EXPECT_EQ(v.lines2.period, 5000);
    EXPECT_EQ(v.rainbowSeed.period, 1950);
    EXPECT_EQ(v.bumpmapMix2.period, 975);
    EXPECT_EQ(v.copy.period, 1000);
    EXPECT_EQ(v.vote.period, 1000);
    EXPECT_STREQ(v.vote.text, "VOTE");
    EXPECT_EQ(v.speckle.saltCount, 32);
    EXPECT_EQ(v.speckle.pepperCount, 32);
    EXPECT_EQ(v.eater.feeder, &v.feeder);
    EXPECT_NE(v.feeder.feedbackFrame, nullptr);
}

TEST_F(ShowSetUp, TurnsTheWarpMapsByTheExactSinglePrecisionAngles) {
    Velmora& v = **show;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v.rotatingWarpmap1.angle), 0xBDD67750u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v.rotatingWarpmap1.scale), 0x3F7AE148u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v.rotatingWarpmap2.angle), 0x3DD67750u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v.rotatingWarpmap2.scale), 0x3F7D70A4u);
}

// Plays passes at every event boundary, the moments in between, and after a jump to every chapter
// key, checking what the schedule promises of every moment.
class ShowSchedule : public ShowSetUp {
protected:
    void playAt(MainLoop& loop, ManualClock& clock, int t) {
        Velmora& v = **show;
        for (int slot = 5; slot < Demo::FRAME_SLOTS; ++slot) v.frames[slot] = nullptr;
        clock.ms = t;
        loop.pass();
        ASSERT_EQ(v.frameCount, 1) << "at " << t;
        // A fifth stacked frame would have been written to slot 5.
        ASSERT_EQ(v.frames[5], nullptr) << "more than four frames stacked at " << t;
        ASSERT_LE(v.timeline.activeCount, 9) << "at " << t;
        int lent = static_cast<int>(std::count(std::begin(v.display.inUse), std::end(v.display.inUse), true));
        ASSERT_LE(lent, 10) << "at " << t;
        ASSERT_LE(v.display.mostLent, 10) << "at " << t;
        ++passes;
    }
    int passes = 0;
};

// The show played from the start by one thread and by a pool gives the same pictures, and
// allocates nothing while it plays: a fresh show for each, every seventh frame at 60 frames/s,
// the random patterns seeded alike.
TEST(ShowOnThreads, APoolPaintsEveryPictureOfTheShowAsOneThreadDoes) {
    const auto play = [](int threads) {
        setWorkerCount(threads);
        InterlaceEffect::phase = 0;  // shared by the instances of every show, 0 at program start
        ShowInAssetDir show(assetDir());
        EXPECT_EQ(show->workers.threads(), threads);
        ManualClock clock;
        MainLoop loop(*show, clock);
        loop.begin();
        Zorvek::seedShowRand(7);
        std::vector<std::uint64_t> pictures(287000 * 60 / 1000 / 7 + 1);
        std::size_t n = 0;
        const long allocations = allocationsDuring([&] {
            for (int frame = 0; frame * 1000 / 60 < 287000; frame += 7) {
                clock.ms = frame * 1000 / 60;
                BITMAP* f = loop.pass();
                std::uint64_t hash = 14695981039346656037u;
                for (int y = 0; y < f->h; ++y)
                    for (int x = 0; x < f->w; ++x) hash = (hash ^ pixel(f, x, y)) * 1099511628211u;
                pictures[n++] = hash;
            }
        });
        EXPECT_EQ(allocations, 0) << threads << " threads";  // nothing while the show plays
        loop.end();
        pictures.resize(n);
        return pictures;
    };
    const std::vector<std::uint64_t> alone = play(1), pooled = play(3);
    setWorkerCount(1);
    ASSERT_EQ(alone.size(), pooled.size());
    const auto differ = std::mismatch(alone.begin(), alone.end(), pooled.begin());
    EXPECT_TRUE(differ.first == alone.end())
        << "first different picture at " << (differ.first - alone.begin()) * 7 * 1000 / 60 << " ms";
}

TEST_F(ShowSchedule, EveryMomentLeavesOneFrameWithinTheLimits) {
    Velmora& v = **show;
    ManualClock clock;
    MainLoop loop(v, clock);
    loop.begin();
    std::vector<int> moments;
    for (int i = 0; i < v.timeline.count; ++i) {
        const TimelineEvent& e = v.timeline.events[i];
        moments.insert(moments.end(), {e.start, e.start + 1, e.start + e.duration / 2, e.end, e.end + 1});
    }
    for (int t = 0; t < 287000; t += 37) moments.push_back(t);  // and the moments in between
    std::sort(moments.begin(), moments.end());
    moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
    for (int t : moments) {
        if (t < 0 || t > 286999) continue;
        playAt(loop, clock, t);
        if (HasFatalFailure()) return;
    }
    // Jumps to every chapter key, from the end of the show and from its middle.
    for (int from : {286000, 150000}) {
        for (const Chapter& c : CHAPTERS) {
            // Time only runs backwards through a jump or a seek, which restart the schedule query.
            jumpTo = from;
            playAt(loop, clock, from);
            jumpTo = keyJump[c.key];
            playAt(loop, clock, from + 10);
            EXPECT_EQ(loop.time, c.start);
            for (int step = 1; step <= 8; ++step) playAt(loop, clock, c.start + step * 97);
            if (HasFatalFailure()) return;
        }
    }
    loop.end();
    EXPECT_GT(passes, 8000);
    int lent = static_cast<int>(std::count(std::begin(v.display.inUse), std::end(v.display.inUse), true));
    EXPECT_EQ(lent, 1);  // only the feedback frame stays lent
}
