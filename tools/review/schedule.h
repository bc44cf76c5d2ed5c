#pragma once
// The show's schedule as its script fills the timeline: the chapters, the times at which the
// picture changes, and which effects are active when.

#include <string>
#include <vector>

namespace review {

struct Chapter {
    std::string name;  // its key, "F1" .. "F12"
    int start;         // ms
    int end;           // ms, exclusive: the next chapter's start, or the show's end
};

struct ScheduledEvent {
    std::string effect;  // the effect's display name
    int start, end;      // ms, end inclusive
};

struct Schedule {
    std::vector<Chapter> chapters;
    std::vector<ScheduledEvent> events;  // in the order the script added them
    std::vector<int> cuts;               // every time at which an event begins, from the first
    int end = 0;                         // ms after the last event's end

    // The display names of the effects active at `ms`, in order.
    std::vector<std::string> activeAt(int ms) const;
    bool isActive(const std::string& effect, int ms) const;
    // The chapter `ms` lies in (the first before the show's start).
    const Chapter& chapterAt(int ms) const;
    // The cuts within [from, to).
    std::vector<int> cutsIn(int from, int to) const;
};

// Runs the show's script headless, in the working directory, which must hold the show's files
// (the script loads every picture). Sets the sound layer offline.
Schedule readSchedule();

}  // namespace review
