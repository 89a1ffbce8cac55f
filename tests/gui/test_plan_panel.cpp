#include "app/PlanPanel.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QPaintEvent>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>
#include <gtest/gtest.h>

namespace {

// The regions painted in the panel and in the page below it.
struct Paints : QObject
{
    QObject* panel = nullptr;
    QRegion inPanel;
    int below = 0;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            if (o == panel)
                inPanel += static_cast<QPaintEvent*>(e)->region();
            else
                ++below;
        }
        return false;
    }
};

std::vector<PlanPanel::Row> rows(const QString& secondLine, double secondFraction)
{
    return {{QStringLiteral("eth0"), QStringLiteral("1,0 GB von 10,0 GB (10 %)"), 0.1, 0},
            {QStringLiteral("wlan0"), secondLine, secondFraction, 0}};
}

} // namespace

TEST(PlanPanel, AChangedRowRepaintsThatRowAloneAndNothingBelowThePanel)
{
    QWidget page;
    auto* layout = new QVBoxLayout(&page);
    auto* panel = new PlanPanel(&page);
    layout->addWidget(panel);
    panel->setRows(rows(QStringLiteral("2,0 GB von 10,0 GB"), 0.2));
    page.resize(600, 200);
    page.show();
    ASSERT_TRUE(waitFor([&] { return page.windowHandle() && page.windowHandle()->isExposed(); }));
    QCoreApplication::processEvents();

    Paints paints;
    paints.panel = panel;
    for (QWidget* w : page.findChildren<QWidget*>())
        w->installEventFilter(&paints);
    page.installEventFilter(&paints);
    auto settle = [&] {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    };

    panel->setRows(rows(QStringLiteral("2,0 GB von 10,0 GB"), 0.2));
    panel->setLevel(1, 0.2000001, 0);
    settle();
    EXPECT_TRUE(paints.inPanel.isEmpty()) << "nothing changed, nothing painted";

    const QRect firstRow(0, 0, panel->width(), panel->height() / 2);
    panel->setRows(rows(QStringLiteral("2,5 GB von 10,0 GB"), 0.25));
    settle();
    EXPECT_FALSE(paints.inPanel.isEmpty());
    EXPECT_FALSE(paints.inPanel.intersects(firstRow)) << "the first row did not change";
    EXPECT_EQ(panel->line(1), QStringLiteral("2,5 GB von 10,0 GB"));

    paints.inPanel = {};
    panel->setLevel(1, 0.9, 1);
    settle();
    EXPECT_FALSE(paints.inPanel.isEmpty());
    EXPECT_FALSE(paints.inPanel.intersects(firstRow));
    EXPECT_EQ(panel->severity(1), 1);
    EXPECT_EQ(paints.below, 0) << "the panel paints every pixel itself";

    panel->setLevel(1, std::nan(""), 2);
    EXPECT_DOUBLE_EQ(panel->fraction(1), 1.0) << "a value that is no number is drawn full";
    panel->setRows({});
    EXPECT_FALSE(panel->isVisible());
}
