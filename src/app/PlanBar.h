#pragma once

#include <QWidget>

// How full a plan's period is: a bar that is green below the first warning level, amber from
// it and red at the limit. Painted by itself, and only when what it shows changes.
class PlanBar : public QWidget
{
    Q_OBJECT
public:
    explicit PlanBar(QWidget* parent = nullptr);
    // `fraction` of the limit (above 1 is drawn full), `severity` 0, 1 or 2.
    void setLevel(double fraction, int severity);
    double fraction() const { return m_fraction; }
    int severity() const { return m_severity; }
    static QColor colour(int severity);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_fraction = 0;
    int m_severity = 0;
};
