#pragma once
// The module's rows as libopenmpt plays them: when each row begins, and when each note sounds
// (its row's start, plus a note delay's ticks), with the name of the sample it plays.

#include <string>
#include <vector>

namespace review {

struct ModuleRow {
    double ms;  // start, by the player's own count of samples
    int order, row;
    double tickMs;  // the length of a tick while it plays
    int speed;      // its ticks
};

struct NoteStart {
    double ms;
    int channel;
    std::string sample;  // the sample's name as the module holds it
    double rowMs;        // the start of its row (ms - rowMs is its note delay)
};

struct ModuleTiming {
    std::vector<ModuleRow> rows;
    std::vector<NoteStart> notes;
    std::vector<double> orderStarts;  // the start of every order entry played, ms
    double lengthMs = 0;
};

// Plays the module through at 48000 Hz; false, with `error` set, when libopenmpt cannot read it.
bool readModuleTiming(const std::string& path, ModuleTiming& timing, std::string& error);

// Drums that carry a beat: a kick, a snare, a clap or an impact, by the sample's name.
bool isBeatDrum(const std::string& sample);

// The distance in ms from `ms` to the nearest of `times` (which need not be sorted); a large
// number when there are none.
double nearest(const std::vector<double>& times, double ms);
// The signed offset from `ms` to the nearest of `times` (positive: the time comes later).
double nearestOffset(const std::vector<double>& times, double ms);

}  // namespace review
