#pragma once

#include <cstdint>

#include "process/time.h"

namespace Zorvek::capture {

// The line on standard error that says how far the capture has come, how fast it goes and how
// long it has left; rewritten at most four times a second, and closed when the last frame is done.
class Progress {
public:
    Progress(std::int64_t total, bool enabled) : total(total), enabled(enabled), begun(monotonicNow()) {}
    void frameDone(std::int64_t done);
    // Ends a progress line left open, before a message.
    void endLine();

private:
    std::int64_t total;
    bool enabled;
    Nanos begun;
    Nanos shown = 0;
    bool shownLine = false;
};

}  // namespace Zorvek::capture
