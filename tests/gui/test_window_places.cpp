// Windows come back where they were, and a new adapter's graph window is put
// where it can be seen.
#include "acquisition/TNic.h"
#include "app/TMainform.h"
#include "graph/ui/TGraphenform.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/SettleWindows.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

constexpr uint64_t kUp = 100000;

class WindowPlacesTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        table.setRows({FakeInterfaceTable::row(1, "lo", kUp, kUp, 24), FakeInterfaceTable::row(2, "eth0", kUp, kUp, 6),
                       FakeInterfaceTable::row(3, "wlan0", kUp, kUp, 71)});
    }
    QString db() const { return home.file("Datenbank.mdb"); }
};

QRect workArea(const QWidget& w)
{
    return w.screen()->availableGeometry();
}

TEST_F(WindowPlacesTest, NewGraphWindowsStackDownTheRightEdgeAndKeepThatPlace)
{
    std::vector<QRect> placed;
    {
        TMainform form(services, {});
        form.showAtStart();
        settleWindows();
        const QRect area = workArea(form);
        QRect previous;
        for (size_t i = 1; i < form.graphWindows().size(); ++i) { // eth0, wlan0, dial-up
            TGraphenform* w = form.graphWindows()[i];
            ASSERT_TRUE(w->isVisible());
            const QRect outer = w->frameGeometry();
            EXPECT_EQ(outer.right(), area.right()) << i << ": at the right edge";
            EXPECT_TRUE(area.contains(outer)) << i;
            if (previous.isValid()) {
                EXPECT_FALSE(outer.intersects(previous)) << i;
                EXPECT_GT(outer.top(), previous.top()) << i << ": below the one before";
            } else {
                EXPECT_EQ(outer.top(), area.top());
            }
            previous = outer;
            // Stored right away, before any shutdown.
            const StoredPlace stored = storedGraphPlace(db(), form.entries()[i]->Index);
            ASSERT_TRUE(stored.valid);
            EXPECT_EQ(QPoint(stored.links, stored.oben), w->geometry().topLeft()) << i;
            placed.push_back(w->geometry());
        }
        EXPECT_FALSE(form.graphWindows()[0]->isVisible()) << "lo starts hidden";
    }
    // Known adapters keep their own place, even when it is not in the stack.
    TMainform again(services, {});
    again.showAtStart();
    settleWindows();
    for (size_t i = 1; i < again.graphWindows().size(); ++i)
        EXPECT_EQ(again.graphWindows()[i]->geometry(), placed[i - 1]) << i;
    again.graphWindows()[1]->move(workArea(again).topLeft() + QPoint(200, 150));
    const QRect moved = again.graphWindows()[1]->geometry();
    again.close();
    TMainform third(services, {});
    third.showAtStart();
    settleWindows();
    EXPECT_EQ(third.graphWindows()[1]->geometry(), moved);
}

TEST_F(WindowPlacesTest, TenRestartsLeaveEveryWindowWhereItWas)
{
    home.write("netzpegel.ini", "[Fenster]\nLeft=150\nTop=120\nVisible=1\n");
    QRect mainPlace;
    std::vector<QRect> graphPlaces;
    for (int run = 0; run < 11; ++run) {
        TMainform form(services, {});
        form.showAtStart();
        settleWindows();
        std::vector<QRect> graphs;
        for (TGraphenform* w : form.graphWindows())
            graphs.push_back(w->geometry());
        if (run == 0) {
            EXPECT_EQ(form.geometry().topLeft(), QPoint(150, 120));
            // One window dragged next to the left edge of the work area: it snaps there.
            form.graphWindows()[2]->move(workArea(form).topLeft() + QPoint(5, 300));
            settleWindows();
            mainPlace = form.geometry();
            for (TGraphenform* w : form.graphWindows())
                graphPlaces.push_back(w->geometry());
            EXPECT_EQ(form.graphWindows()[2]->frameGeometry().left(), workArea(form).left());
        } else {
            EXPECT_EQ(form.geometry(), mainPlace) << "run " << run;
            EXPECT_EQ(graphs, graphPlaces) << "run " << run;
        }
        form.close();
    }
    EXPECT_TRUE(home.read("netzpegel.ini").contains("Left=150")) << home.read("netzpegel.ini").constData();
    EXPECT_TRUE(home.read("netzpegel.ini").contains("Top=120"));
}

TEST_F(WindowPlacesTest, AMainWindowSavedOffEveryScreenComesBackOnOne)
{
    home.write("netzpegel.ini", "[Fenster]\nLeft=-5000\nTop=9000\n");
    TMainform form(services, {});
    form.showAtStart();
    settleWindows();
    EXPECT_TRUE(form.screen()->availableGeometry().intersects(form.frameGeometry()));
}

} // namespace
