#pragma once

#include "graph/TPerformanceGraph.h"

#include <QWidget>

#include <functional>

// Shows a TPerformanceGraph and keeps its size equal to the widget's.
class PerformanceGraphWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PerformanceGraphWidget(QWidget* parent = nullptr);

    TPerformanceGraph& graph() { return m_graph; }
    const TPerformanceGraph& graph() const { return m_graph; }

    QSize sizeHint() const override;

    // Runs `steps` (columns closed with Update) and moves what is shown once for all of them:
    // each move costs the window system more in bookkeeping than in pixels.
    void scrollOnce(const std::function<void()>& steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    void showEvent(QShowEvent* event) override;

private:
    void moveShown(int pixels);
    bool moveInStore(int pixels, const QList<QRect>& bands, const QRect& covered);
    bool copyStrip(QImage& into, const QRect& strip, const QPoint& offset);
    void requestRepaint();

    TPerformanceGraph m_graph;
    bool m_collecting = false;
    int m_collected = 0; // pixels moved in the model while collecting, -1 after a full repaint
    bool m_paintQueued = true; // Qt holds a paint of this widget not yet done
};
