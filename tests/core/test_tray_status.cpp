// What the notification-area icon shows: summed rates and totals of the
// counted entries, bar heights, tooltip, and the painted bars.
#include "acquisition/TNic.h"
#include "config/TSprache.h"
#include "desktop/ProgramIcon.h"
#include "desktop/TrayStatus.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <QColor>
#include <gtest/gtest.h>

#include <memory>

namespace {

class TrayStatusTest : public ::testing::Test
{
protected:
    TNic& entry(bool live, bool graph, long double sent, long double received, int32_t maxspeed)
    {
        nics.push_back(std::make_unique<TNic>(&context));
        TNic& n = *nics.back();
        n.anzeigen_live = live;
        n.anzeigen_graph = graph;
        n.set_gesamt_send(sent);
        n.set_gesamt_received(received);
        n.maxspeed = maxspeed;
        raw.push_back(&n);
        return n;
    }

    SampleContext context;
    std::vector<std::unique_ptr<TNic>> nics;
    std::vector<TNic*> raw;
};

TEST_F(TrayStatusTest, SumsOnlyCountedEntries)
{
    entry(true, false, 100, 1000, 12500);
    entry(false, true, 20, 200, 0);
    entry(false, false, 5000, 5000, 125000); // hidden: not counted
    const TrayTraffic t = trayTraffic(raw);
    EXPECT_EQ(t.sent, 120);
    EXPECT_EQ(t.received, 1200);
    EXPECT_EQ(t.maxspeed, 12500);
    EXPECT_EQ(trayTraffic({}).sent, 0);
}

TEST_F(TrayStatusTest, ToolTipNamesProductVersionAndTodaysTotals)
{
    TempHome home;
    home.write("deutsch.lan", "[Quantities_1024]\n0=Byte\n1=KiB\n2=MiB\n");
    TSprache sprache;
    ASSERT_TRUE(sprache.Laden("deutsch.lan"));
    TrayTraffic t;
    t.sent = 2048;
    t.received = 3 * 1024 * 1024;
    const QString tip = trayToolTip("Netzpegel", "1.0.0", t, 1024, sprache);
    EXPECT_TRUE(tip.startsWith("Netzpegel 1.0.0\n")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("UL: 2") && tip.contains("KiB")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("DL: 3") && tip.contains("MiB")) << tip.toStdString();
}

TEST(TrayBars, FractionsAreLogarithmicAndBounded)
{
    EXPECT_EQ(trayBarFraction(0, 125000), 0);
    EXPECT_EQ(trayBarFraction(-5, 125000), 0);
    EXPECT_EQ(trayBarFraction(10, 0), 0);
    EXPECT_DOUBLE_EQ(trayBarFraction(125000, 125000), 1);
    EXPECT_DOUBLE_EQ(trayBarFraction(1e9, 125000), 1);
    // A few kilobytes on a fast line still show.
    EXPECT_GT(trayBarFraction(2000, 125000000), 0.3);
    EXPECT_LT(trayBarFraction(2000, 125000000), trayBarFraction(20000, 125000000));
}

TEST(TrayBars, ScaleIsTheLineSpeedOrTheHighestRateSeen)
{
    TrayBarScale scale;
    TrayTraffic t;
    t.maxspeed = 0;
    t.rateReceived = 10;
    EXPECT_EQ(scale.update(t), 1024) << "a floor, so stray packets do not fill the bars";
    t.rateReceived = 50000;
    EXPECT_EQ(scale.update(t), 50000);
    t.rateReceived = 100;
    EXPECT_EQ(scale.update(t), 50000) << "the peak is kept";
    t.maxspeed = 125000;
    EXPECT_EQ(scale.update(t), 125000);
}

// Colour of the icon at a point of its 64 × 64 design grid.
QColor at(const QImage& img, double x, double y)
{
    const double f = img.width() / 64.0;
    return QColor(img.pixel(static_cast<int>(x * f), static_cast<int>(y * f)));
}

TEST(ProgramIcon, BarsRiseWithTheirLevels)
{
    const QColor receive(0x4d, 0xa3, 0xff);
    const QColor send(0xff, 0x6a, 0x3d);
    for (int size : {16, 22, 64}) {
        const QImage empty = paintProgramIcon(size, 0, 0);
        EXPECT_NE(at(empty, 21, 50), receive) << size;
        EXPECT_NE(at(empty, 43, 50), send) << size;

        const QImage half = paintProgramIcon(size, 0.5, 1);
        EXPECT_EQ(half.size(), QSize(size, size));
        EXPECT_EQ(at(half, 21, 50), receive) << size;
        EXPECT_NE(at(half, 21, 18), receive) << "half height ends below the top" << size;
        EXPECT_EQ(at(half, 43, 18), send) << "full height" << size;
    }
    // The corners stay transparent: the icon is a rounded square.
    EXPECT_EQ(qAlpha(paintProgramIcon(64, 1, 1).pixel(0, 0)), 0);
}

} // namespace
