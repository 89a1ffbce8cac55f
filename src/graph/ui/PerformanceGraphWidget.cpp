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
    m_graph.OnRepaint = [this] {
        if (m_collecting)
            m_collected = -1;
        update();
    };
    // Moving what is shown and drawing the new strip costs a fraction of sending the whole
    // picture again. A hidden window is painted whole when it shows.
    m_graph.OnScroll = [this](int pixels) {
        if (m_collecting)
            m_collected = m_collected < 0 ? -1 : m_collected + pixels;
        else
            moveShown(pixels);
    };
    m_graph.SetSize(width(), height());
}

QSize PerformanceGraphWidget::sizeHint() const
{
    return QSize(275, 195);
}

void PerformanceGraphWidget::scrollOnce(const std::function<void()>& steps)
{
    m_collecting = true;
    m_collected = 0;
    try {
        steps();
    } catch (...) {
        m_collecting = false;
        update();
        throw;
    }
    m_collecting = false;
    // After a full repaint the whole picture is painted anyway.
    if (m_collected > 0)
        moveShown(m_collected);
}

void PerformanceGraphWidget::moveShown(int pixels)
{
    if (!isVisible())
        return;
    // Only the picture moves, not what lies on it: the scale label stays where it is and its
    // pixels stay untouched, so it need not paint again (text costs more than moving pixels).
    const QRect covered = childrenRect();
    if (covered.isEmpty()) {
        scroll(-pixels, 0, rect());
    } else if (covered.topLeft() == QPoint(0, 0)) {
        // A band the label leaves no room for is not moved: Qt leaves an empty rectangle undefined.
        for (const QRect& band : {QRect(covered.right() + 1, 0, width() - covered.width(), covered.height()),
                                  QRect(0, covered.height(), width(), height() - covered.height())})
            if (!band.isEmpty())
                scroll(-pixels, 0, band);
    } else {
        scroll(-pixels, 0, rect());
        for (QObject* child : children())
            if (auto* widget = qobject_cast<QWidget*>(child); widget && widget->isVisible())
                widget->update();
    }
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
