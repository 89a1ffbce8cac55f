#include "app/PlanBar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

PlanBar::PlanBar(QWidget* parent)
    : QWidget(parent)
{
    setMinimumHeight(10);
}

QSize PlanBar::sizeHint() const
{
    return {200, 12};
}

QColor PlanBar::colour(int severity)
{
    switch (severity) {
    case 2: return QColor(0xd3, 0x2f, 0x2f);
    case 1: return QColor(0xff, 0xa0, 0x00);
    default: return QColor(0x38, 0x8e, 0x3c);
    }
}

void PlanBar::setLevel(double fraction, int severity)
{
    fraction = std::clamp(std::isfinite(fraction) ? fraction : 1.0, 0.0, 1.0);
    // Whole pixels decide a repaint: a byte more does not redraw the bar.
    const int before = static_cast<int>(m_fraction * width());
    const int after = static_cast<int>(fraction * width());
    const bool changed = before != after || severity != m_severity;
    m_fraction = fraction;
    m_severity = severity;
    if (changed)
        update();
}

void PlanBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect all = rect().adjusted(0, 0, -1, -1);
    p.fillRect(all, palette().base());
    QRect filled = all;
    filled.setWidth(static_cast<int>(m_fraction * all.width()));
    p.fillRect(filled, colour(m_severity));
    p.setPen(palette().mid().color());
    p.drawRect(all);
}
