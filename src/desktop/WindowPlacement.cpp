#include "desktop/WindowPlacement.h"

#include <algorithm>

QPoint stackedGraphWindowPlace(const QRect& workArea, const QSize& frame, const QList<QRect>& taken)
{
    const QPoint corner(workArea.x() + workArea.width() - std::max(0, frame.width()), workArea.y());
    if (frame.isEmpty() || workArea.isEmpty())
        return corner;
    const int rows = std::max(1, workArea.height() / frame.height());
    const int columns = std::max(1, workArea.width() / frame.width());
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const QRect place(QPoint(corner.x() - c * frame.width(), workArea.y() + r * frame.height()), frame);
            const bool free = std::none_of(taken.begin(), taken.end(),
                                           [&](const QRect& t) { return t.intersects(place); });
            if (free)
                return place.topLeft();
        }
    }
    return corner;
}

QPoint reachablePosition(const QRect& rect, const QList<QRect>& screens, const QRect& fallback)
{
    // Enough of it to take hold of with the mouse.
    const QSize grip(std::min(rect.width(), 40), std::min(rect.height(), 20));
    const bool onScreen = std::any_of(screens.begin(), screens.end(), [&](const QRect& s) {
        const QRect shown = s.intersected(rect);
        return shown.width() >= grip.width() && shown.height() >= grip.height();
    });
    return onScreen ? rect.topLeft() : fallback.topLeft();
}
