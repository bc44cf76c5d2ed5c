#include "schedule.h"

#include <allegro.h>

#include <algorithm>
#include <memory>

#include "platform/sound/sound_layer.h"
#include "runtime/controls.h"
#include "show/velmora.h"
#include "timeline/timeline.h"

namespace review {

std::vector<std::string> Schedule::activeAt(int ms) const {
    std::vector<std::string> names;
    for (const ScheduledEvent& e : events)
        if (e.start <= ms && ms <= e.end) names.push_back(e.effect);
    return names;
}

bool Schedule::isActive(const std::string& effect, int ms) const {
    return std::any_of(events.begin(), events.end(),
                       [&](const ScheduledEvent& e) { return e.effect == effect && e.start <= ms && ms <= e.end; });
}

const Chapter& Schedule::chapterAt(int ms) const {
    for (const Chapter& c : chapters)
        if (ms < c.end) return c;
    return chapters.back();
}

std::vector<int> Schedule::cutsIn(int from, int to) const {
    std::vector<int> in;
    for (int c : cuts)
        if (c >= from && c < to) in.push_back(c);
    return in;
}

Schedule readSchedule() {
    using namespace Zorvek;
    sound::setOffline(true);
    auto show = std::make_unique<Velmora>(DemoMode::Headless);
    show->display.setHeadless(320, 240, 32);
    show->script();
    Schedule s;
    for (int i = 0; i < show->timeline.count; ++i) {
        const TimelineEvent& e = show->timeline.events[i];
        s.events.push_back({e.effect->name(), e.start, e.end});
        s.cuts.push_back(e.start);
        s.end = std::max(s.end, e.end + 1);
    }
    std::sort(s.cuts.begin(), s.cuts.end());
    s.cuts.erase(std::unique(s.cuts.begin(), s.cuts.end()), s.cuts.end());

    static const struct {
        const char* name;
        int key;
    } keys[] = {{"F1", KEY_F1}, {"F2", KEY_F2}, {"F3", KEY_F3}, {"F4", KEY_F4},   {"F5", KEY_F5},  {"F6", KEY_F6},
                {"F7", KEY_F7}, {"F8", KEY_F8}, {"F9", KEY_F9}, {"F10", KEY_F10}, {"F12", KEY_F12}};
    for (const auto& k : keys)
        if (keyJump[k.key] >= 0) s.chapters.push_back({k.name, keyJump[k.key], s.end});
    std::sort(s.chapters.begin(), s.chapters.end(),
              [](const Chapter& a, const Chapter& b) { return a.start < b.start; });
    for (std::size_t i = 0; i + 1 < s.chapters.size(); ++i) s.chapters[i].end = s.chapters[i + 1].start;
    return s;
}

}  // namespace review
