#include "graph/Snapping.h"

#include <algorithm>
#include <cstdlib>

QRect SnapToWorkArea(const QRect& proposed, const QRect& workArea, int distance)
{
    // Right and bottom edges are exclusive, as the window system counts them.
    const long long L = workArea.x();
    const long long T = workArea.y();
    const long long R = L + workArea.width();
    const long long B = T + workArea.height();
    const long long cx = proposed.width();
    const long long cy = proposed.height();
    const long long d = distance;
    long long x = proposed.x();
    long long y = proposed.y();
    auto near = [d](long long a, long long b) { return std::llabs(a - b) <= d; };

    // Outside, left and right.
    if (near(x, R)) {
        if (T < y && y < B)
            x = R;
    } else if (near(x + cx, L) && T < y && y < B) {
        x = L - cx;
    }
    // Outside, top and bottom.
    if (near(y, B)) {
        if (L < x && x < R)
            y = B;
    } else if (near(y + cy, T) && L < x && x < R) {
        y = T - cy;
    }
    // Inside, left and right.
    if (near(x, L))
        x = L;
    else if (near(x + cx, R))
        x = R - cx;
    // Inside, top and bottom.
    if (near(y, T))
        y = T;
    else if (near(y + cy, B))
        y = B - cy;

    return QRect(static_cast<int>(x), static_cast<int>(y), proposed.width(), proposed.height());
}

std::optional<QPoint> titleBarFramePlace(const QRect& inner, const QRect& workArea)
{
    if (workArea.isEmpty() || inner.y() > workArea.y())
        return std::nullopt;
    const int right = std::max(workArea.x(), workArea.x() + workArea.width() - inner.width());
    return QPoint(std::clamp(inner.x(), workArea.x(), right), workArea.y());
}
