#include "runtime/main_loop.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "effects/effect.h"
#include "runtime/clock.h"
#include "demo/demo.h"
#include "process/fail.h"
#include "process/requests.h"
#include "process/running_time.h"
#include "process/time.h"

namespace Zorvek {

namespace {
constexpr int OVERLAY_COLOUR = 0x00FF00;
constexpr int REWIND_LEAD = 1000;  // the rewind starts from this long before the last end
// The credit line must fit the 320-pixel frame from x = 9 in 8-pixel glyphs: 38 characters.
constexpr const char* CREDIT = "VELMORA by ZORVEK - all our own work";
// Prints one overlay line in green on a transparent background. The text is formatted on the
// stack: the library's own printf allocates on every call, and nothing may allocate while the
// show plays.
[[gnu::format(printf, 4, 5)]] void print(BITMAP* frame, int x, int y, const char* format, ...) {
    char text[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    textout_ex(frame, font, text, x, y, OVERLAY_COLOUR, -1);
}

}  // namespace

int latestEnd(const Timeline& timeline) {
    int end = 0;
    for (int i = 0; i < timeline.count; ++i) end = std::max(end, timeline.events[i].end);
    return end;
}

MainLoop::MainLoop(Demo& demo, Clock& clock) : demo(demo), clock(clock) {
    const Timeline& t = demo.timeline;
    lastEnd = t.count > 0 ? t.events[t.count - 1].end : 0;
    scheduleEnd = latestEnd(t);
}

void MainLoop::begin() {
    keyJump[KEY_HOME] = 0;
    keyJump[KEY_END] = lastEnd - 1;
    // The schedule is walked from its start whatever an earlier loop left.
    demo.timeline.cursor = 0;
    // What the effects can do before the show plays is done now, not in their first passes.
    const Timeline& t = demo.timeline;
    for (int i = 0; i < t.count; ++i) t.events[i].effect->prepare();
}

void MainLoop::switchModeIfRequested() {
    if (!modeSwitchRequested) return;
    Display& d = demo.display;
    d.setMode(!d.windowed, d.direct, d.width, d.height, d.depth);
    modeSwitchRequested = false;
}

BITMAP* MainLoop::pass() {
    const std::int64_t before = passes;
    int t = 0;
    const Landing landing = takeTime(t);
    BITMAP* frame = nullptr;
    if (landing == Landing::Held && shown) {
        // Down: the picture stays as it is, feedback and all, while the music replays its instant.
    } else if (landing != Landing::Playing || !anchored) {
        frame = land(t);
    } else {
        frame = play(t);
    }
    demo.rates.refreshed(static_cast<int>(passes - before), demo.display.screen != nullptr, runningNs());
    if (frame) drawOverlays(frame, time);
    showPicture(frame);
    return shown;
}

void MainLoop::end() {
    for (int i = 0; i < runningCount; ++i) running[i]->stop();
    runningCount = 0;
}

MainLoop::Landing MainLoop::takeTime(int& t) {
    int jump = jumpTo.exchange(-1);
    if (jump >= 0) {
        t = jump;
        demo.timeline.cursor = 0;
        clock.setPosition(t);
        return Landing::Landed;
    }
    if (int delta = seekDelta.exchange(0); delta != 0) {
        // Read and cleared in one step, so a handler's step made meanwhile is kept for later.
        t = clock.position() + delta;
        if (t < 0) {
            t = 0;
            rewinding = false;
        } else if (t > lastEnd) {
            t = lastEnd - 1;
        }
        demo.timeline.cursor = 0;
        clock.setPosition(t);
        return Landing::Landed;
    }
    if (freezeHeld) {
        t = prevTime;
        clock.setPosition(t);
        return Landing::Held;
    }
    t = presentTime.at(clock.position(), demo.display.untilPresent());
    return Landing::Playing;
}

BITMAP* MainLoop::land(int t) {
    grid.anchor(t);
    anchored = true;
    refreshTimes.forget();
    BITMAP* frame = render(t);
    nextGridPass = 1;
    if (landedAt >= 0) {
        grid.anchor(landedAt);
        landedAt = -1;
    }
    return frame;
}

BITMAP* MainLoop::play(int t) {
    if (steadyRefreshes)
        t = refreshTimes.at(t, monotonicNow() + demo.display.untilPresent(), demo.display.refreshInterval());
    const std::int64_t latest = grid.latestBy(t);
    std::int64_t first = nextGridPass;
    if (mostPasses < std::numeric_limits<int>::max() && latest - first + 1 > MOST_BEHIND)
        first = latest - MOST_BEHIND + 1;
    const std::int64_t last = std::min(latest, first + (mostPasses - 1));
    bool onGrid = everyPassOnTheGrid || passCountMatters(demo.timeline, t);
    for (std::int64_t n = first; !onGrid && n <= latest; ++n) onGrid = passCountMatters(demo.timeline, grid.time(n));
    BITMAP* frame = nullptr;
    if (!onGrid) {
        frame = render(t);
        nextGridPass = std::max(nextGridPass, latest + 1);
    } else {
        // The passes due by now, the earliest first; none while the next one's time has not come.
        if (first > nextGridPass) demo.rates.dropped += first - nextGridPass;
        for (std::int64_t n = first; n <= last && landedAt < 0; ++n) frame = render(grid.time(n));
        nextGridPass = std::max(nextGridPass, last + 1);
    }
    if (landedAt >= 0) {
        // The end of the schedule moved the music: the grid starts again there.
        grid.anchor(landedAt);
        nextGridPass = 1;
        landedAt = -1;
        refreshTimes.forget();
    }
    return frame;
}

BITMAP* MainLoop::render(int t) {
    for (int i = 0; i < runningCount; ++i) running[i]->seen = false;
    // The timeline's cursor only walks forward: a time before the last pass's (the music went
    // back without a seek, a refresh's time set back to the music's) must not leave it ahead.
    if (t < time) demo.timeline.cursor = 0;
    if (!demo.timeline.activeAt(t)) {
        if (quitAtEnd) {
            // Played once: the schedule's last moment stays on show for this last pass.
            t = scheduleEnd;
            demo.timeline.activeAt(t);
            quitRequested = true;
        } else {
            // End of the schedule: show the moment before the end and let the timer pull the
            // music back to the start.
            t = lastEnd;
            demo.timeline.activeAt(lastEnd - REWIND_LEAD);
            clock.setPosition(lastEnd - REWIND_LEAD);
            rewinding = true;
            landedAt = lastEnd - REWIND_LEAD;
        }
    }
    clock.renderingAt(t);
    clock.update();
    runActiveEvents(t);
    stopFinishedEffects();
    BITMAP* frame = takeFinishedFrame();
    prevTime = t;
    time = t;
    ++passes;
    demo.rates.passRun(runningNs());
    return frame;
}

void MainLoop::showPicture(BITMAP* frame) {
    if (frame) {
        shown = frame;
        shownOnScreen = false;
    }
    if (!shown) return;
    if (hideHeld) {
        demo.display.holdPicture();
        return;
    }
    // A picture kept from an earlier refresh is presented again, not merely left on show: the
    // screen may have been opened anew since (a switch between window and fullscreen). Unchanged
    // since it was presented, it need not be drawn or told apart from the one before again.
    if (shownOnScreen) {
        demo.display.presentAgain(shown);
    } else {
        demo.display.present(shown);
        demo.rates.presented(shown, runningNs());
    }
    shownOnScreen = true;
}

void MainLoop::runActiveEvents(int t) {
    for (TimelineEvent** r = demo.timeline.active; *r; ++r) {
        TimelineEvent* event = *r;
        Effect* e = event->effect;
        if (!e->running) {
            e->start();
            addRunning(e);
        }
        e->seen = true;
        int local;
        if (e->period != 0) {
            local = static_cast<int>(static_cast<unsigned>(t - event->start + event->phase) %
                                     static_cast<unsigned>(e->period));
        } else {
            local = t - event->start;
        }
        e->event = event;
        e->update(local);
        e->render();
    }
}

void MainLoop::addRunning(Effect* e) {
    // An effect whose start() leaves it not running is started again at its next event; it is
    // listed once all the same, so that it is stopped once.
    for (int i = 0; i < runningCount; ++i)
        if (running[i] == e) return;
    if (runningCount == MAX_RUNNING)
        fail(EXIT_CAPACITY, "Too many running effects; at most %d can run at once.", MAX_RUNNING);
    running[runningCount++] = e;
}

void MainLoop::stopFinishedEffects() {
    int kept = 0;
    for (int i = 0; i < runningCount; ++i) {
        Effect* e = running[i];
        if (e->seen) {
            running[kept++] = e;
        } else {
            e->stop();
        }
    }
    runningCount = kept;
}

BITMAP* MainLoop::takeFinishedFrame() {
    int n = demo.frameCount;
    if (n <= 1) fail(EXIT_MISUSE, "Framestack underflow.");
    demo.frameCount = n - 1;
    BITMAP* frame = demo.frames[n - 1];
    if (n >= 3) fail(EXIT_MISUSE, "Framestack overflow.");
    if (!frame) fail(EXIT_MISUSE, "Nullframe rendered.");
    return frame;
}

void MainLoop::drawOverlays(BITMAP* frame, int t) {
    if (showFps) {
        const double presented = demo.display.presentedRate();
        if (presented > 0) {
            print(frame, frame->w - 73, 9, "%5.1fFPS", presented);
            // The show's own passes, where they are not one per refresh.
            const double own = presented * demo.rates.passesPerRefresh();
            if (own > 0 && std::abs(own - presented) > 0.01 * presented)
                print(frame, frame->w - 105, 18, "%5.1f PASSES", own);
        } else {
            // Nothing presented to count: the music time this pass took.
            int now = clock.position();
            float rate = now == t ? 0.0f : 1000.0f / static_cast<float>(now - t);
            if (rate <= 0 || rate >= 100) {
                print(frame, frame->w - 41, 9, "MANY");
            } else {
                print(frame, frame->w - 65, 9, "%2.1fFPS", static_cast<double>(rate));
            }
        }
    }
    if (showEvents) {
        int y = frame->h - 18;
        for (TimelineEvent** r = demo.timeline.active; *r; ++r, y -= 9) {
            int left = (*r)->end - t;
            print(frame, 9, y, "%02d.%02d %s", left / 1000, (left % 1000) / 10, (*r)->effect->name());
        }
    }
    if (showClock || seeking) {
        print(frame, 9, 9, "%02d:%02d.%02d", (t / 1000) / 60, (t / 1000) % 60, (t % 1000) / 10);
    } else if (creditHeld) {
        print(frame, 9, 9, "%s", CREDIT);
    }
}

}  // namespace Zorvek
