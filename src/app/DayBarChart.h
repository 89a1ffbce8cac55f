#pragma once

#include "reports/StatistikQuery.h"

#include <QWidget>

class TSprache;

// The statistics range as bars beside the table: per day one bar received and one sent, scaled
// to the range's largest day, whose amount stands at the top in the table's unit.
class DayBarChart : public QWidget
{
    Q_OBJECT
public:
    explicit DayBarChart(QWidget* parent = nullptr);
    void setDays(const std::vector<StatistikBar>& bars, int base, const TSprache* sprache);
    void clear();
    double scale() const { return m_scale; }
    QString scaleText() const { return m_scaleText; }
    QSize sizeHint() const override;
    static QColor receivedColour();
    static QColor sentColour();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<StatistikBar> m_bars;
    double m_scale = 0;
    QString m_scaleText;
};
