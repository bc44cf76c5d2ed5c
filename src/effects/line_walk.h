#pragma once
// The points of a line from (x1, y1) to (x2, y2), both ends included, in the order and with the
// steps of the library's do_line: a Bresenham walk along the longer axis that steps the other
// axis when the error term is not negative. Inlined, so that a per-point callback costs no call.

#include <cstdlib>

namespace Zorvek {

template <class Point>
inline void walkLine(int x1, int y1, int x2, int y2, Point&& point) {
    const int dx = x2 - x1, dy = y2 - y1;
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const int longSide = alongX ? std::abs(dx) : std::abs(dy);
    const int shortSide = alongX ? std::abs(dy) : std::abs(dx);
    const int longStep = (alongX ? dx : dy) >= 0 ? 1 : -1;
    const int shortStep = (alongX ? dy : dx) >= 0 ? 1 : -1;
    const int straight = 2 * shortSide;
    const int diagonal = 2 * shortSide - 2 * longSide;
    int error = 2 * shortSide - longSide;
    int x = x1, y = y1;
    for (int n = 0; n <= longSide; ++n) {
        point(x, y);
        if (error >= 0) {
            (alongX ? y : x) += shortStep;
            error += diagonal;
        } else {
            error += straight;
        }
        (alongX ? x : y) += longStep;
    }
}

}  // namespace Zorvek
