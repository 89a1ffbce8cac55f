#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

// Where a window proposed at `proposed` (outer frame) comes to rest near the
// edges of `workArea`: docked just outside an edge or aligned with it from
// inside when within `distance` pixels. Only the position changes.
QRect SnapToWorkArea(const QRect& proposed, const QRect& workArea, int distance);

// A window whose inner area `inner` starts at or above the top of `workArea`
// has its title bar out of reach: where its frame goes instead (the top of the
// work area, kept inside it sideways). None when the inner area may stay. The
// window system places a frame exactly only once it knows the frame, so such a
// window is placed by its frame.
std::optional<QPoint> titleBarFramePlace(const QRect& inner, const QRect& workArea);
