#include "capture/progress.h"

#include <cstdio>

namespace Zorvek::capture {

namespace {
constexpr Nanos REWRITE = 250 * MILLISECOND;
}

void Progress::frameDone(long done) {
    if (!enabled) return;
    const Nanos now = monotonicNow();
    if (done != total && now - shown < REWRITE) return;
    shown = now;
    double seconds = static_cast<double>(now - begun) / SECOND;
    double rate = seconds > 0 ? done / seconds : 0;
    long left = rate > 0 ? static_cast<long>((total - done) / rate) : 0;
    std::fprintf(stderr, "\rframe %ld/%ld (%.1f%%)  %.1f frames/s  %ld:%02ld left   ", done, total,
                 100.0 * done / total, rate, left / 60, left % 60);
    shownLine = done != total;
    if (!shownLine) std::fputc('\n', stderr);
    std::fflush(stderr);
}

void Progress::endLine() {
    if (shownLine) std::fputc('\n', stderr);
    shownLine = false;
}

}  // namespace Zorvek::capture
