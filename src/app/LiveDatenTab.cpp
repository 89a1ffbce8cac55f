#include "app/LiveDatenTab.h"

#include "app/NamedWidget.h"
#include "app/PlanPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

constexpr int kColumnWidth = 100;

} // namespace

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
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 0; c < 6; ++c)
        StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(dfulabel);
    layout->addWidget(StringGrid1, 1);
    Tarife = new PlanPanel(this);
    layout->addWidget(Tarife);
}

void LiveDatenTab::fitColumnsToHeaders()
{
    QHeaderView* header = StringGrid1->horizontalHeader();
    const int columns = StringGrid1->columnCount();
    std::vector<int> hint(columns);
    std::vector<int> width(columns);
    int excess = 0;
    for (int c = 0; c < columns; ++c) {
        hint[c] = header->sectionSizeHint(c);
        width[c] = std::max(kColumnWidth, hint[c]);
        excess += width[c] - kColumnWidth;
    }
    // A pixel at a time from each column that has room, never below its own header.
    for (bool took = true; excess > 0 && took;) {
        took = false;
        for (int c = 0; c < columns && excess > 0; ++c) {
            if (width[c] <= kColumnWidth && width[c] > hint[c]) {
                --width[c];
                --excess;
                took = true;
            }
        }
    }
    for (int c = 0; c < columns; ++c)
        header->resizeSection(c, width[c]);
}
