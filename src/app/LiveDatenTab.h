#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

// Tab page "Live Daten": the live grid and the dial-up label.
class LiveDatenTab : public QWidget
{
    Q_OBJECT
public:
    explicit LiveDatenTab(QWidget* parent = nullptr);

    QTableWidget* StringGrid1;
    QLabel* dfulabel;
};
