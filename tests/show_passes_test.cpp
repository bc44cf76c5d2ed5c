// Which moments of the show depend on the passes before them, found by playing every moment of
// the schedule twice up to the same music time: once at 60 passes a second, as the show was
// made, and once at 144. Where the two pictures differ, or the pass draws random numbers, the
// moment must run on the 60 Hz grid on every display, so one of its effects must say so; and
// every effect that says so must be the reason in some moment.
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/controls.h"
#include "runtime/main_loop.h"
#include "show/velmora.h"
#include "support/headless.h"
#include "support/show_module.h"
#include "process/show_random.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A span of the schedule over which the same events are active.
struct Moment {
    int start = 0;
    int end = 0;                   // inclusive
    std::vector<Effect*> effects;  // of the active events, in their order
};

// One moment per list of active effects: the longest span with that list.
std::vector<Moment> distinctMoments(Timeline& timeline) {
    std::set<int> edges;
    for (int i = 0; i < timeline.count; ++i) {
        edges.insert(timeline.events[i].start);
        edges.insert(timeline.events[i].end + 1);
    }
    std::map<std::vector<Effect*>, Moment> longest;
    for (auto edge = edges.begin(); std::next(edge) != edges.end(); ++edge) {
        Moment m{*edge, *std::next(edge) - 1, {}};
        timeline.cursor = 0;
        if (!timeline.activeAt(m.start)) continue;
        for (TimelineEvent** r = timeline.active; *r; ++r) m.effects.push_back((*r)->effect);
        if (m.effects.empty()) continue;
        Moment& kept = longest[m.effects];
        if (kept.effects.empty() || m.end - m.start > kept.end - kept.start) kept = m;
    }
    std::vector<Moment> moments;
    for (auto& [effects, m] : longest) moments.push_back(m);
    return moments;
}

// What the passes before a moment's last pass changed about it.
struct Dependence {
    bool pictureDiffers = false;  // after passes at 144 a second, not the picture after 60
    bool drawsRandom = false;     // its last pass drew random numbers
};

class ShowPasses : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(assetDir());
        show = new Velmora(DemoMode::Headless);
        show->display.setHeadless(320, 240, 32);
        show->script();
    }
    static void TearDownTestSuite() {
        delete show;
        show = nullptr;
        std::filesystem::current_path(previous);
        resetControls();
    }

    // The picture at `t` after passes at the given times, every one from the same state: no
    // effect running, every frame black, the interlace's counter at its start.
    std::vector<std::uint32_t> pictureAfter(const std::vector<int>& times, int t, bool& drew) {
        loop.end();
        for (BITMAP* f : show->display.scratch) clear_to_color(f, 0);
        InterlaceEffect::phase = 0;
        Zorvek::seedShowRand(1);
        for (int at : times) passAt(at);
        Zorvek::seedShowRand(7);
        BITMAP* f = passAt(t);
        drew = Zorvek::showRand() != firstOfSeven;
        std::vector<std::uint32_t> picture;
        for (int y = 0; y < f->h; ++y)
            for (int x = 0; x < f->w; ++x) picture.push_back(pixel(f, x, y));
        return picture;
    }

    // A pass at exactly `t`: a jump lands there whatever the moment.
    BITMAP* passAt(int t) {
        jumpTo = t;
        clock.ms = t;
        return loop.pass();
    }

    // Passes from `from` at `rate` a second, up to but not including `to`, timed as a capture's
    // frames.
    static void passesAt(int rate, int from, int to, std::vector<int>& times) {
        for (long n = 0; from + n * 1000 / rate < to; ++n) times.push_back(from + static_cast<int>(n * 1000 / rate));
    }

    Dependence dependenceOf(const Moment& m) {
        // A tenth of a second at 60 before the moment, the same for both; then the moment itself.
        const int t = m.start + std::min(m.end - m.start, WINDOW_MS);
        std::vector<int> lead;
        passesAt(60, std::max(0, m.start - 100), m.start, lead);
        std::vector<int> at60 = lead, at144 = lead;
        passesAt(60, m.start, t, at60);
        passesAt(144, m.start, t, at144);
        Dependence d;
        bool drew60 = false, drew144 = false;
        d.pictureDiffers = pictureAfter(at60, t, drew60) != pictureAfter(at144, t, drew144);
        d.drawsRandom = drew60 || drew144;
        return d;
    }

    static constexpr int WINDOW_MS = 150;  // how much of a moment is played
    static Velmora* show;
    static std::filesystem::path previous;
    ManualClock clock;
    MainLoop loop{*show, clock};
    int firstOfSeven = [] {
        Zorvek::seedShowRand(7);
        return Zorvek::showRand();
    }();
};
Velmora* ShowPasses::show = nullptr;
std::filesystem::path ShowPasses::previous;

}  // namespace

TEST_F(ShowPasses, EveryMomentThatDependsOnThePassesBeforeItHasAnEffectThatSaysSoAndEachOneIsNeeded) {
    loop.begin();
    const std::vector<Moment> moments = distinctMoments(show->timeline);
    ASSERT_GT(moments.size(), 100u);
    std::map<Effect*, int> needed;  // flagged effects, and the moments that only they explain
    for (int i = 0; i < show->timeline.count; ++i) {
        Effect* e = show->timeline.events[i].effect;
        if (e->carriesState() || e->drawsRandom()) needed.emplace(e, 0);
    }
    int played = 0, dependent = 0;
    for (const Moment& m : moments) {
        if (m.end - m.start < 2 * 1000 / 60) continue;  // no two passes of the grid in it
        ++played;
        const Dependence d = dependenceOf(m);
        std::set<Effect*> keeping, random;
        for (Effect* e : m.effects) {
            if (e->carriesState()) keeping.insert(e);
            if (e->drawsRandom()) random.insert(e);
        }
        std::string names;
        for (Effect* e : m.effects) names += std::string(names.empty() ? "" : ", ") + e->name();
        EXPECT_TRUE(!d.pictureDiffers || !keeping.empty())
            << "at " << m.start << " (" << names << ") the picture depends on the passes before it";
        EXPECT_TRUE(!d.drawsRandom || !random.empty())
            << "at " << m.start << " (" << names << ") a pass draws random numbers";
        if (d.pictureDiffers && keeping.size() == 1) ++needed[*keeping.begin()];
        if (d.drawsRandom && random.size() == 1) ++needed[*random.begin()];
        dependent += d.pictureDiffers || d.drawsRandom;
    }
    for (auto [effect, moments] : needed)
        EXPECT_GT(moments, 0) << effect->name() << " says it depends on the passes before it, "
                              << "but no moment of the show depends on them through it alone";
    loop.end();
    std::printf("%d distinct moments played, %d depend on the passes before them\n", played, dependent);
}
