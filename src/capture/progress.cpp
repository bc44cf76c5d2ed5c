#include "capture/progress.h"

#include <cstdio>

namespace Zorvek::capture {

namespace {
constexpr Nanos REWRITE = 250 * MILLISECOND;
}

void Progress::frameDone(std::int64_t done) {
    if (!enabled) return;
    const Nanos now = monotonicNow();
    if (done != total && now - shown < REWRITE) return;
    shown = now;
    double seconds = static_cast<double>(now - begun) / SECOND;
    double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    const long long left = rate > 0 ? static_cast<long long>(static_cast<double>(total - done) / rate) : 0;
    std::fprintf(stderr, "\rframe %lld/%lld (%.1f%%)  %.1f frames/s  %lld:%02lld left   ", static_cast<long long>(done),
                 static_cast<long long>(total), 100.0 * static_cast<double>(done) / static_cast<double>(total), rate,
                 left / 60, left % 60);
    shownLine = done != total;
    if (!shownLine) std::fputc('\n', stderr);
    std::fflush(stderr);
}

void Progress::endLine() {
    if (shownLine) std::fputc('\n', stderr);
    shownLine = false;
}

}  // namespace Zorvek::capture
