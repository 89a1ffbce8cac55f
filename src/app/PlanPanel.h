#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class PlanBar;
class QGridLayout;
class QLabel;

// The live page's data plans: per planned adapter its name, use of the limit with the
// projection, and a bar. Hidden while no adapter has a plan.
class PlanPanel : public QWidget
{
    Q_OBJECT
public:
    struct Row
    {
        QString name;
        QString line;
        double fraction = 0;
        int severity = 0;
    };
    explicit PlanPanel(QWidget* parent = nullptr);
    // Texts change only where they differ, so an unchanged plan costs no repaint.
    void setRows(const std::vector<Row>& rows);
    // Only the bar of `row`.
    void setLevel(int row, double fraction, int severity);
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const PlanBar* bar(int row) const;
    QString line(int row) const;

private:
    struct Widgets
    {
        QLabel* name;
        QLabel* line;
        PlanBar* bar;
    };
    QGridLayout* m_grid;
    std::vector<Widgets> m_rows;
};
