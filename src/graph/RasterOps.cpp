#include "graph/RasterOps.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

inline void plot(QImage& image, int x, int y, QRgb color)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = color;
}

// a / n rounded to the nearest integer, halves away from zero; n > 0.
inline int roundDiv(long long a, long long n)
{
    return a >= 0 ? static_cast<int>((2 * a + n) / (2 * n)) : -static_cast<int>((-2 * a + n) / (2 * n));
}

} // namespace

namespace RasterOps {

void fillRect(QImage& image, const GraphRect& rect, QRgb color)
{
    const int left = std::max(rect.left, 0);
    const int top = std::max(rect.top, 0);
    const int right = std::min(rect.right, image.width());
    const int bottom = std::min(rect.bottom, image.height());
    if (left >= right || top >= bottom)
        return;
    // Rows found from one pointer: scanLine() checks for sharing at every call.
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int y = top; y < bottom; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(row + left, row + right, color);
    }
}

void line(QImage& image, int x1, int y1, int x2, int y2, QRgb color)
{
    const int dx = x2 - x1;
    const int dy = y2 - y1;
    if (dx == 0 && dy == 0)
        return;
    // Axis-parallel lines are the grid's; draw them as thin rectangles.
    if (dx == 0) {
        const GraphRect r = dy > 0 ? GraphRect{x1, y1, x1 + 1, y2} : GraphRect{x1, y2 + 1, x1 + 1, y1 + 1};
        fillRect(image, r, color);
        return;
    }
    if (dy == 0) {
        const GraphRect r = dx > 0 ? GraphRect{x1, y1, x2, y1 + 1} : GraphRect{x2 + 1, y1, x1 + 1, y1 + 1};
        fillRect(image, r, color);
        return;
    }
    const int n = std::max(std::abs(dx), std::abs(dy));
    // Only the steps whose major coordinate lies on the image: a segment that
    // reaches far outside costs no more than one across the image.
    const bool yMajor = std::abs(dy) >= std::abs(dx);
    const int start = yMajor ? y1 : x1;
    const int sign = (yMajor ? dy : dx) > 0 ? 1 : -1;
    const int extent = yMajor ? image.height() : image.width();
    long long first = 0;
    long long last = n; // exclusive
    if (sign > 0) {
        first = std::max<long long>(first, -static_cast<long long>(start));
        last = std::min<long long>(last, static_cast<long long>(extent) - start);
    } else {
        first = std::max<long long>(first, static_cast<long long>(start) - extent + 1);
        last = std::min<long long>(last, static_cast<long long>(start) + 1);
    }
    for (long long i = first; i < last; ++i)
        plot(image, x1 + roundDiv(i * dx, n), y1 + roundDiv(i * dy, n), color);
}

void copyRect(QImage& image, const GraphRect& source, int destX, int destY)
{
    GraphRect src = source;
    // Clip the source to the image, then the destination, moving both together.
    auto clip = [&](int& lo, int& hi, int& dLo, int limit) {
        if (lo < 0) {
            dLo -= lo;
            lo = 0;
        }
        if (dLo < 0) {
            lo -= dLo;
            dLo = 0;
        }
        hi = std::min(hi, limit);
        hi = std::min(hi, lo + (limit - dLo));
    };
    clip(src.left, src.right, destX, image.width());
    clip(src.top, src.bottom, destY, image.height());
    if (src.left >= src.right || src.top >= src.bottom)
        return;
    const size_t bytes = static_cast<size_t>(src.right - src.left) * sizeof(QRgb);
    const int rows = src.bottom - src.top;
    // Walk rows away from the destination so overlapping rows are read before written.
    const bool downwards = destY <= src.top;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int i = 0; i < rows; ++i) {
        const int k = downwards ? i : rows - 1 - i;
        const QRgb* from = reinterpret_cast<const QRgb*>(bits + (src.top + k) * stride) + src.left;
        QRgb* to = reinterpret_cast<QRgb*>(bits + (destY + k) * stride) + destX;
        std::memmove(to, from, bytes);
    }
}

void shiftLeft(QImage& image, int step)
{
    const int width = image.width();
    if (step <= 0 || step >= width || image.height() <= 0)
        return;
    const qsizetype stride = image.bytesPerLine();
    if (stride != static_cast<qsizetype>(width) * static_cast<qsizetype>(sizeof(QRgb))) {
        copyRect(image, {step, 0, width, image.height()}, 0, 0);
        return;
    }
    // Rows follow each other without a gap: one move of the block shifts them
    // all, each row's last columns taking the next row's first ones.
    uchar* bits = image.bits();
    const size_t shift = static_cast<size_t>(step) * sizeof(QRgb);
    std::memmove(bits, bits + shift, static_cast<size_t>(stride) * static_cast<size_t>(image.height()) - shift);
}

} // namespace RasterOps
