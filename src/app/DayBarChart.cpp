#include "app/DayBarChart.h"

#include "config/QuantityFormat.h"

#include <QPainter>

#include <algorithm>

DayBarChart::DayBarChart(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Tagesbalken"));
    setMinimumWidth(120);
}

QSize DayBarChart::sizeHint() const
{
    return {180, 200};
}

QColor DayBarChart::receivedColour()
{
    return QColor(0x19, 0x76, 0xd2);
}

QColor DayBarChart::sentColour()
{
    return QColor(0xe6, 0x51, 0x00);
}

void DayBarChart::setDays(const std::vector<StatistikBar>& bars, int base, const TSprache* sprache)
{
    m_bars = bars;
    m_scale = 0;
    for (const StatistikBar& b : bars)
        m_scale = std::max({m_scale, b.received, b.sent});
    m_scaleText = sprache && m_scale > 0 ? FormatQuantity(m_scale, base, *sprache) : QString();
    update();
}

void DayBarChart::clear()
{
    setDays({}, 1024, nullptr);
}

void DayBarChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const int top = fontMetrics().height() + 2;
    const QRect area = rect().adjusted(2, top, -2, -2);
    p.setPen(palette().text().color());
    p.drawText(rect().adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignTop, m_scaleText);
    if (m_bars.empty() || m_scale <= 0 || area.width() <= 0)
        return;
    // Two bars a day; a day gets at least one pixel per bar, so long ranges use the width.
    const double slot = static_cast<double>(area.width()) / static_cast<double>(m_bars.size());
    const double bar = std::max(1.0, slot / 2.0 - (slot >= 6 ? 1 : 0));
    auto height = [&](double value) { return static_cast<int>(value / m_scale * area.height() + 0.5); };
    for (size_t i = 0; i < m_bars.size(); ++i) {
        const double x = area.left() + slot * static_cast<double>(i);
        const int hr = height(m_bars[i].received);
        const int hs = height(m_bars[i].sent);
        p.fillRect(QRectF(x, area.bottom() + 1 - hr, bar, hr), receivedColour());
        p.fillRect(QRectF(x + bar, area.bottom() + 1 - hs, bar, hs), sentColour());
    }
}
