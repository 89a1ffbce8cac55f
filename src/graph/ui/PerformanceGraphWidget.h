#pragma once

#include "graph/TPerformanceGraph.h"

#include <QWidget>

// Shows a TPerformanceGraph and keeps its size equal to the widget's.
class PerformanceGraphWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PerformanceGraphWidget(QWidget* parent = nullptr);

    TPerformanceGraph& graph() { return m_graph; }
    const TPerformanceGraph& graph() const { return m_graph; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TPerformanceGraph m_graph;
};
