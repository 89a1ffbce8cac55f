#include "desktop/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// Drawn on the 64 × 64 grid of the SVG file; keep the two in step.
constexpr double kBarBottom = 54;
constexpr double kBarMaxHeight = 40;

void bar(QPainter& p, double x, double level, const QColor& color)
{
    const double h = std::clamp(level, 0.0, 1.0) * kBarMaxHeight;
    if (h <= 0)
        return;
    // At least one grid unit, so a small rate still shows.
    const double shown = std::max(h, 2.0);
    p.fillRect(QRectF(x, kBarBottom - shown, 18, shown), color);
}

} // namespace

QImage paintProgramIcon(int size, double receiveLevel, double sendLevel)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QPainterPath body;
    body.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.fillPath(body, QColor(0x1d, 0x2f, 0x47));
    p.setPen(QPen(QColor(0x2e, 0x4a, 0x6e), 2));
    for (int y : {20, 34})
        p.drawLine(QLineF(8, y, 56, y));
    bar(p, 12, receiveLevel, QColor(0x4d, 0xa3, 0xff));
    bar(p, 34, sendLevel, QColor(0xff, 0x6a, 0x3d));
    p.setPen(QPen(QColor(0x8f, 0xb3, 0xdd), 2));
    p.drawLine(QLineF(8, kBarBottom + 1, 56, kBarBottom + 1));
    p.end();
    return img;
}
