#include "app/PlanPanel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kGap = 6;
constexpr int kBarMinimum = 80;
// Room for a long use line, so that the bar keeps its place while the texts change.
constexpr int kLineChars = 48;

double clampedFraction(double fraction)
{
    return std::clamp(std::isfinite(fraction) ? fraction : 1.0, 0.0, 1.0);
}

} // namespace

PlanPanel::PlanPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Tarife"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    hide();
}

QColor PlanPanel::colour(int severity)
{
    switch (severity) {
    case 2: return QColor(0xd3, 0x2f, 0x2f);
    case 1: return QColor(0xff, 0xa0, 0x00);
    default: return QColor(0x38, 0x8e, 0x3c);
    }
}

int PlanPanel::rowHeight() const
{
    return fontMetrics().height() + 4;
}

QSize PlanPanel::sizeHint() const
{
    return {m_nameWidth + 2 * kBarMinimum + fontMetrics().averageCharWidth() * kLineChars + 2 * kGap,
            rowHeight() * rowCount()};
}

QSize PlanPanel::minimumSizeHint() const
{
    return {m_nameWidth + kBarMinimum + 2 * kGap, rowHeight() * rowCount()};
}

PlanPanel::Columns PlanPanel::columns() const
{
    const int lineWidth = fontMetrics().averageCharWidth() * kLineChars;
    const int barLeft = m_nameWidth + kGap;
    const int barWidth = std::max(kBarMinimum, width() - barLeft - kGap - lineWidth);
    return {barLeft, barWidth, barLeft + barWidth + kGap};
}

QRect PlanPanel::rowRect(int row) const
{
    return {0, row * rowHeight(), width(), rowHeight()};
}

int PlanPanel::barPixels(double fraction) const
{
    return static_cast<int>(clampedFraction(fraction) * (columns().barWidth - 2));
}

void PlanPanel::setRows(const std::vector<Row>& rows)
{
    int nameWidth = 0;
    for (const Row& r : rows)
        nameWidth = std::max(nameWidth, fontMetrics().horizontalAdvance(r.name));
    const bool reshaped = rows.size() != m_rows.size() || nameWidth != m_nameWidth;
    for (size_t i = 0; i < rows.size() && !reshaped; ++i) {
        const Row& was = m_rows[i];
        const Row& now = rows[i];
        if (was.name != now.name || was.line != now.line || was.severity != now.severity
            || barPixels(was.fraction) != barPixels(now.fraction))
            update(rowRect(static_cast<int>(i)));
    }
    m_rows = rows;
    for (Row& r : m_rows)
        r.fraction = clampedFraction(r.fraction);
    m_nameWidth = nameWidth;
    if (reshaped) {
        updateGeometry();
        update();
    }
    setVisible(!m_rows.empty());
}

void PlanPanel::setLevel(int row, double fraction, int severity)
{
    if (row < 0 || row >= rowCount())
        return;
    Row& r = m_rows[static_cast<size_t>(row)];
    fraction = clampedFraction(fraction);
    const bool changed = barPixels(r.fraction) != barPixels(fraction) || r.severity != severity;
    r.fraction = fraction;
    r.severity = severity;
    if (changed)
        update(rowRect(row));
}

double PlanPanel::fraction(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].fraction : 0;
}

int PlanPanel::severity(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].severity : 0;
}

QString PlanPanel::line(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].line : QString();
}

void PlanPanel::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().window());
    const Columns c = columns();
    const QFontMetrics fm = fontMetrics();
    for (int i = 0; i < rowCount(); ++i) {
        const QRect row = rowRect(i);
        if (!event->rect().intersects(row))
            continue;
        const Row& r = m_rows[static_cast<size_t>(i)];
        p.setPen(palette().windowText().color());
        p.drawText(QRect(0, row.top(), m_nameWidth, row.height()), Qt::AlignLeft | Qt::AlignVCenter, r.name);
        const QRect bar(c.barLeft, row.top() + 3, c.barWidth - 1, row.height() - 7);
        p.fillRect(bar, palette().base());
        p.fillRect(QRect(bar.left() + 1, bar.top() + 1, barPixels(r.fraction), bar.height() - 1), colour(r.severity));
        p.setPen(palette().mid().color());
        p.drawRect(bar);
        p.setPen(palette().windowText().color());
        const QRect text(c.lineLeft, row.top(), std::max(0, width() - c.lineLeft), row.height());
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(r.line, Qt::ElideRight, text.width()));
    }
}

void PlanPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateGeometry();
        update();
    }
}
