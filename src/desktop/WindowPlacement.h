#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a new graph window of outer size `frame` goes: the first free place
// in a column down the right edge of `workArea`, the next column to its left
// when a column is full, the top right corner when every place is taken.
// `taken` are the outer rectangles of the windows already shown.
QPoint stackedGraphWindowPlace(const QRect& workArea, const QSize& frame, const QList<QRect>& taken);

// `rect` moved to the top left of `fallback` when too little of it lies on
// any of `screens` to take hold of, so a window saved on a screen that is
// gone stays reachable.
QPoint reachablePosition(const QRect& rect, const QList<QRect>& screens, const QRect& fallback);
