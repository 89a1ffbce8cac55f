#pragma once

#include <QWidget>

class PlanPanel;
class QLabel;
class QTableWidget;

// Tab page "Live Daten": the live grid, the dial-up label and the data plans.
class LiveDatenTab : public QWidget
{
    Q_OBJECT
public:
    explicit LiveDatenTab(QWidget* parent = nullptr);

    // Widens the columns whose header text would be cut off, taking the room
    // from columns that have some to spare, so the grid keeps its width.
    void fitColumnsToHeaders();

    QTableWidget* StringGrid1;
    QLabel* dfulabel;
    PlanPanel* Tarife;
};
