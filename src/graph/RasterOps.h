#pragma once

#include <QImage>

// The few drawing primitives the graph needs, on a 32-bit image, clipped to it.
// Rectangles are left, top, right, bottom with right and bottom exclusive.
struct GraphRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const GraphRect&) const = default;
};

namespace RasterOps {

// A rectangle whose right or bottom is not beyond its left or top fills nothing.
void fillRect(QImage& image, const GraphRect& rect, QRgb color);

// One-pixel line from (x1, y1) towards (x2, y2); the end point itself is not drawn.
void line(QImage& image, int x1, int y1, int x2, int y2, QRgb color);

// Copies `source` so that its top left lands on (destX, destY); overlap is allowed.
void copyRect(QImage& image, const GraphRect& source, int destX, int destY);

// Moves the whole picture `step` pixels to the left. The `step` rightmost
// columns are left as they come (the caller paints them next).
void shiftLeft(QImage& image, int step);

} // namespace RasterOps
