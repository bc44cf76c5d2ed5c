#include "capture/pass_stats.h"

#include <algorithm>
#include <cmath>

namespace Zorvek::capture {

PassTimes summarize(std::vector<double> ms) {
    PassTimes t;
    t.count = static_cast<std::int64_t>(ms.size());
    if (ms.empty()) return t;
    std::sort(ms.begin(), ms.end());
    auto rank = [&](double q) {
        // Nearest rank: the smallest value with at least q of the values at or below it.
        std::size_t r = static_cast<std::size_t>(std::ceil(q * static_cast<double>(ms.size())));
        return ms[std::clamp<std::size_t>(r, 1, ms.size()) - 1];
    };
    t.median = rank(0.5);
    t.p99 = rank(0.99);
    t.max = ms.back();
    return t;
}

bool SlowestMoments::qualifies(double ms) const {
    return static_cast<int>(moments.size()) < capacity || ms > moments.back().ms;
}

void SlowestMoments::add(Moment moment) {
    if (!qualifies(moment.ms)) return;
    auto at = std::upper_bound(moments.begin(), moments.end(), moment.ms,
                               [](double ms, const Moment& m) { return ms > m.ms; });
    moments.insert(at, std::move(moment));
    if (static_cast<int>(moments.size()) > capacity) moments.pop_back();
}

std::vector<FirstPass> costliestFirstPasses(const std::vector<int>& times, const std::vector<double>& ms,
                                            const std::vector<std::string>& begins, int capacity, double limit,
                                            int& over) {
    std::vector<FirstPass> firsts;
    over = 0;
    for (std::size_t i = 0; i + 1 < ms.size() && i < begins.size(); ++i) {
        if (begins[i].empty()) continue;
        const double extra = ms[i] - ms[i + 1];
        if (extra > limit) ++over;
        firsts.push_back({times[i], extra, begins[i]});
    }
    std::stable_sort(firsts.begin(), firsts.end(),
                     [](const FirstPass& a, const FirstPass& b) { return a.extra > b.extra; });
    if (static_cast<int>(firsts.size()) > capacity) firsts.resize(static_cast<std::size_t>(capacity));
    return firsts;
}

}  // namespace Zorvek::capture
