#pragma once

#include <string>
#include <vector>

namespace Zorvek::capture {

// Where a chapter starts, and the function key that jumps there.
struct ChapterMark {
    std::string name;  // the key, e.g. "F2"
    int start = 0;     // music time, ms
};

// The chapters of the scripted show in the order of their start times, named as on the keyboard.
std::vector<ChapterMark> chapterStarts();

}  // namespace Zorvek::capture
