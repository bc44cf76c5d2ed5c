#include "timeline/timeline.h"

#include "process/fail.h"

namespace Zorvek {

TimelineEvent* Timeline::add(int start, int duration, Effect* effect, int phase) {
    if (count >= MAX_EVENTS)
        fail(EXIT_CAPACITY, "Timeline event overflow; nest events or increase Timeline::MAX_EVENTS.");
    if (count > 0 && start < events[count - 1].start)
        fail(EXIT_MISUSE, "Timeline: please add effects in chronological order. ");
    TimelineEvent& e = events[count++];
    e.effect = effect;
    e.start = start;
    e.end = start + duration - 1;
    e.duration = duration;
    e.phase = phase;
    cursor = 0;
    return &e;
}

TimelineEvent* Timeline::add(int start, int duration, Effect* effect) { return add(start, duration, effect, 0); }

int Timeline::nextStart() const { return count > 0 ? events[count - 1].end + 1 : 0; }

TimelineEvent* Timeline::append(int duration, Effect* effect, int phase) {
    return add(nextStart(), duration, effect, phase);
}

TimelineEvent* Timeline::append(int duration, Effect* effect) { return add(nextStart(), duration, effect, 0); }

bool Timeline::activeAt(int time) {
    while (cursor < count && events[cursor].end < time) ++cursor;
    if (cursor == count) {
        cursor = 0;
        while (cursor < count && events[cursor].end < time) ++cursor;
        if (cursor == count) {
            activeCount = 0;
            return false;
        }
    }
    int n = 0;
    // Starts never decrease, so the first event that has not begun ends the walk: nothing after
    // it has begun either.
    for (int i = cursor; i < count && events[i].start <= time; ++i) {
        TimelineEvent& e = events[i];
        if (time <= e.end) {
            if (n == MAX_ACTIVE - 1)
                fail(EXIT_CAPACITY, "Timeline active list overflow; at most 63 events can be active at once.");
            active[n++] = &e;
        }
    }
    active[n] = nullptr;
    activeCount = n;
    return true;
}

}  // namespace Zorvek
