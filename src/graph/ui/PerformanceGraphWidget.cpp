#include "graph/ui/PerformanceGraphWidget.h"

#include <QBackingStore>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWindow>

#include <cstring>

PerformanceGraphWidget::PerformanceGraphWidget(QWidget* parent)
    : QWidget(parent)
{
    // The image covers every pixel: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(0, 0);
    m_graph.OnRepaint = [this] {
        if (m_collecting)
            m_collected = -1;
        requestRepaint();
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
        requestRepaint();
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
    const QWindow* shownIn = window()->windowHandle();
    if (!shownIn || !shownIn->isExposed()) {
        // Nothing reaches the screen: one repaint when the window is exposed again is cheaper
        // than moving pixels nobody sees every second.
        requestRepaint();
        return;
    }
    // Only the picture moves, not what lies on it: the scale label stays where it is and its
    // pixels stay untouched, so it need not paint again (text costs more than moving pixels).
    const QRect covered = childrenRect();
    QList<QRect> bands;
    if (covered.isEmpty()) {
        bands = {rect()};
    } else if (covered.topLeft() == QPoint(0, 0)) {
        // A band the label leaves no room for is not moved: Qt leaves an empty rectangle undefined.
        for (const QRect& band : {QRect(covered.right() + 1, 0, width() - covered.width(), covered.height()),
                                  QRect(0, covered.height(), width(), height() - covered.height())})
            if (!band.isEmpty())
                bands.append(band);
    } else {
        scroll(-pixels, 0, rect());
        m_paintQueued = true;
        for (QObject* child : children())
            if (auto* widget = qobject_cast<QWidget*>(child); widget && widget->isVisible())
                widget->update();
        return;
    }
    if (moveInStore(pixels, bands, covered))
        return;
    for (const QRect& band : bands)
        scroll(-pixels, 0, band);
    m_paintQueued = true;
}

bool PerformanceGraphWidget::moveInStore(int pixels, const QList<QRect>& bands, const QRect& covered)
{
    // Qt's own repaint bookkeeping (regions, a paint event, a painter) costs far more than the
    // pixels of one strip. So the window's store is moved and patched here, and the two
    // rectangles go to the window system directly. Only while Qt holds no paint of this
    // widget: a queued one covers places this move would shift from under it.
    const QRect strip(width() - pixels, 0, pixels, height());
    QBackingStore* store = backingStore();
    QWindow* shownIn = window()->windowHandle();
    if (m_paintQueued || !store || pixels >= width() || strip.intersects(covered))
        return false;
    const QPoint offset = mapTo(window(), QPoint(0, 0));
    // One rectangle per call: some stores move a region's bounding rectangle, label and all.
    QRegion moved;
    for (const QRect& band : bands) {
        const QRect from = band.adjusted(pixels, 0, 0, 0).translated(offset);
        if (!store->scroll(from, -pixels, 0)) {
            // A store that cannot move leaves it to Qt; one that stopped half-way is repainted.
            if (moved.isEmpty())
                return false;
            requestRepaint();
            return true;
        }
        moved += from.translated(-pixels, 0);
    }
    const QRect target = strip.translated(offset);
    store->beginPaint(target);
    QPaintDevice* device = store->paintDevice();
    auto* image = device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    if (!(image && copyStrip(*image, strip, offset)) && device) {
        QPainter painter(device);
        painter.drawImage(target.topLeft(), m_graph.Paint(), strip);
    }
    store->endPaint();
    store->flush(moved + target, shownIn);
    return true;
}

bool PerformanceGraphWidget::copyStrip(QImage& into, const QRect& strip, const QPoint& offset)
{
    const QImage& picture = m_graph.Paint();
    const bool sameLayout = (into.format() == QImage::Format_RGB32 || into.format() == QImage::Format_ARGB32_Premultiplied)
        && picture.format() == QImage::Format_RGB32 && into.devicePixelRatio() == 1.0;
    const QRect target = strip.translated(offset);
    if (!sameLayout || !into.rect().contains(target) || !picture.rect().contains(strip))
        return false;
    // Rows found from one pointer each: scanLine() checks for sharing at every call.
    uchar* to = into.bits() + target.y() * into.bytesPerLine() + target.x() * sizeof(QRgb);
    const uchar* from = picture.constBits() + strip.y() * picture.bytesPerLine() + strip.x() * sizeof(QRgb);
    const size_t bytes = static_cast<size_t>(strip.width()) * sizeof(QRgb);
    for (int y = 0; y < strip.height(); ++y, to += into.bytesPerLine(), from += picture.bytesPerLine())
        std::memcpy(to, from, bytes);
    return true;
}

void PerformanceGraphWidget::requestRepaint()
{
    m_paintQueued = true;
    update();
}

void PerformanceGraphWidget::paintEvent(QPaintEvent* event)
{
    // Qt paints every dirty place of a window in one pass, so nothing of ours is queued after it.
    m_paintQueued = false;
    QPainter painter(this);
    const QImage& picture = m_graph.Paint();
    for (const QRect& r : event->region())
        painter.drawImage(r.topLeft(), picture, r);
}

void PerformanceGraphWidget::resizeEvent(QResizeEvent* event)
{
    m_graph.SetSize(event->size().width(), event->size().height());
    m_paintQueued = true;
    QWidget::resizeEvent(event);
}

void PerformanceGraphWidget::showEvent(QShowEvent* event)
{
    m_paintQueued = true;
    QWidget::showEvent(event);
}
