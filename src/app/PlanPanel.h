#pragma once

#include <QString>
#include <QWidget>
#include <vector>

// The live page's data plans: per planned adapter its name, a bar of how full the period is
// (green below the first warning level, amber from it, red at the limit) and the use of the
// limit with the projection. One widget that paints every pixel itself: a changed row repaints
// that row alone, never the page or its tab frame, and no text change moves the layout.
// Hidden while no adapter has a plan.
class PlanPanel : public QWidget
{
    Q_OBJECT
public:
    struct Row
    {
        QString name;
        QString line;
        double fraction = 0; // of the limit; above 1 is drawn full
        int severity = 0;    // 0, 1 or 2
    };
    explicit PlanPanel(QWidget* parent = nullptr);
    void setRows(const std::vector<Row>& rows);
    // Only the bar of `row`; repainted only when it moves by a whole pixel or changes colour.
    void setLevel(int row, double fraction, int severity);
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    double fraction(int row) const;
    int severity(int row) const;
    QString line(int row) const;
    static QColor colour(int severity);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Columns
    {
        int barLeft;
        int barWidth;
        int lineLeft;
    };
    Columns columns() const;
    int rowHeight() const;
    QRect rowRect(int row) const;
    int barPixels(double fraction) const;

    std::vector<Row> m_rows;
    int m_nameWidth = 0;
};
