#include "app/LiveDatenTab.h"

#include "app/NamedWidget.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

LiveDatenTab::LiveDatenTab(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet1"));
    dfulabel = namedWidget<QLabel>(this, "dfulabel");
    dfulabel->clear();
    dfulabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StringGrid1 = namedWidget<QTableWidget>(this, "StringGrid1");
    StringGrid1->setColumnCount(6);
    StringGrid1->setRowCount(0);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(100);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 0; c < 6; ++c)
        StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(dfulabel);
    layout->addWidget(StringGrid1, 1);
}
