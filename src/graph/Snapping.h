#pragma once

#include <QRect>

// Where a window proposed at `proposed` (outer frame) comes to rest near the
// edges of `workArea`: docked just outside an edge or aligned with it from
// inside when within `distance` pixels. Only the position changes.
QRect SnapToWorkArea(const QRect& proposed, const QRect& workArea, int distance);
