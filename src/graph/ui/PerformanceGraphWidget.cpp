#include "graph/ui/PerformanceGraphWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

PerformanceGraphWidget::PerformanceGraphWidget(QWidget* parent)
    : QWidget(parent)
{
    // The image covers every pixel: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(0, 0);
    m_graph.OnRepaint = [this] { update(); };
    // Moving what is shown and drawing the new strip costs a fraction of sending the whole
    // picture again. A hidden window is painted whole when it shows.
    m_graph.OnScroll = [this](int pixels) {
        if (isVisible())
            scroll(-pixels, 0);
    };
    m_graph.SetSize(width(), height());
}

QSize PerformanceGraphWidget::sizeHint() const
{
    return QSize(275, 195);
}

void PerformanceGraphWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QImage& picture = m_graph.Paint();
    for (const QRect& r : event->region())
        painter.drawImage(r.topLeft(), picture, r);
}

void PerformanceGraphWidget::resizeEvent(QResizeEvent* event)
{
    m_graph.SetSize(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}
