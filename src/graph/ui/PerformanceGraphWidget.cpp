#include "graph/ui/PerformanceGraphWidget.h"

#include <QPainter>
#include <QResizeEvent>

PerformanceGraphWidget::PerformanceGraphWidget(QWidget* parent)
    : QWidget(parent)
{
    // The image covers every pixel: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(0, 0);
    m_graph.OnRepaint = [this] { update(); };
    m_graph.SetSize(width(), height());
}

QSize PerformanceGraphWidget::sizeHint() const
{
    return QSize(275, 195);
}

void PerformanceGraphWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen = painter.pen();
    pen.setWidth(m_graph.PenWidth());
    painter.setPen(pen);
    painter.drawImage(0, 0, m_graph.Paint());
}

void PerformanceGraphWidget::resizeEvent(QResizeEvent* event)
{
    m_graph.SetSize(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}
