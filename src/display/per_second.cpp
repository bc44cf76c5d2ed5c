#include "display/per_second.h"

#include <algorithm>

namespace Zorvek {

void PerSecond::count(Nanos now) {
    if (secondStart == 0) {
        secondStart = now;
        thisSecond = 0;
    }
    if (now - secondStart >= SECOND) {
        perSecond[std::min(thisSecond, MAX_COUNTED)] += 1;
        Nanos elapsed = (now - secondStart) / SECOND;  // whole seconds passed, the first one counted
        perSecond[0] += elapsed - 1;                   // seconds without a single count
        secondsCounted += elapsed;
        secondStart += elapsed * SECOND;
        thisSecond = 0;
    }
    ++thisSecond;
}

int PerSecond::median() const {
    if (secondsCounted == 0) return 0;
    std::int64_t seen = 0;
    for (int count = 0; count <= MAX_COUNTED; ++count) {
        seen += perSecond[count];
        if (2 * seen > secondsCounted) return count;
    }
    return MAX_COUNTED;
}

}  // namespace Zorvek
