#pragma once

namespace Zorvek {

class Effect;

// One scheduled span of an effect, in ms of music time; `end` is inclusive.
struct TimelineEvent {
    Effect* effect;
    int start;
    int end;  // start + duration - 1
    int duration;
    int phase;  // added to the effect's local time
};

// The show's schedule: a fixed array of events in order of start time.
class Timeline {
public:
    static constexpr int MAX_EVENTS = 4096;
    static constexpr int MAX_ACTIVE = 64;  // including the terminating null

    TimelineEvent* active[MAX_ACTIVE] = {nullptr};  // result of the last query, null-terminated
    int cursor = 0;                                 // first event not yet known to be over
    int count = 0;                                  // events added
    int activeCount = 0;                            // entries of `active` before the null
    TimelineEvent events[MAX_EVENTS];

    TimelineEvent* add(int start, int duration, Effect* effect, int phase);
    TimelineEvent* add(int start, int duration, Effect* effect);
    TimelineEvent* append(int duration, Effect* effect, int phase);
    TimelineEvent* append(int duration, Effect* effect);
    // The effect's period is read where the effect's class is known: the timeline itself knows
    // effects only by name.
    template <class AnEffect>
    TimelineEvent* appendRest(AnEffect* effect, int phase) {
        return add(nextStart(), effect->period - phase, effect, phase);
    }
    template <class AnEffect>
    TimelineEvent* appendPeriod(AnEffect* effect) {
        return add(nextStart(), effect->period, effect, 0);
    }

    // Fills `active` with the events active at `time`; false when every event ended before it.
    bool activeAt(int time);

private:
    int nextStart() const;
};

}  // namespace Zorvek
