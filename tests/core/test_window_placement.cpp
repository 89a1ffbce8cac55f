#include "desktop/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

const QRect kArea(0, 30, 1000, 700); // a panel of 30 pixels at the top
const QSize kWindow(200, 250);

TEST(GraphWindowPlace, StacksDownTheRightEdgeThenLeftwards)
{
    QList<QRect> taken;
    QList<QPoint> places;
    for (int i = 0; i < 4; ++i) {
        const QPoint p = stackedGraphWindowPlace(kArea, kWindow, taken);
        places << p;
        taken << QRect(p, kWindow);
    }
    // 700 pixels hold two windows of 250; the third starts the next column.
    EXPECT_EQ(places[0], QPoint(800, 30));
    EXPECT_EQ(places[1], QPoint(800, 280));
    EXPECT_EQ(places[2], QPoint(600, 30));
    EXPECT_EQ(places[3], QPoint(600, 280));
}

TEST(GraphWindowPlace, TakesAGapAndIgnoresWindowsElsewhere)
{
    const QList<QRect> taken{QRect(QPoint(800, 30), kWindow), QRect(QPoint(10, 40), kWindow)};
    EXPECT_EQ(stackedGraphWindowPlace(kArea, kWindow, taken), QPoint(800, 280));
    // A window moved a little into the first place still takes it.
    EXPECT_EQ(stackedGraphWindowPlace(kArea, kWindow, {QRect(QPoint(790, 20), kWindow)}), QPoint(800, 280));
}

TEST(GraphWindowPlace, FullOrTinyWorkAreasGiveTheTopRightCorner)
{
    QList<QRect> everything{kArea};
    EXPECT_EQ(stackedGraphWindowPlace(kArea, kWindow, everything), QPoint(800, 30));
    // Taller than the work area: still at the top right, never above it.
    EXPECT_EQ(stackedGraphWindowPlace(QRect(0, 0, 300, 100), kWindow, {}), QPoint(100, 0));
    EXPECT_EQ(stackedGraphWindowPlace(kArea, QSize(), {}), QPoint(1000, 30));
}

TEST(ReachablePosition, AWindowOffEveryScreenComesBack)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect fallback(0, 30, 1920, 1050);
    EXPECT_EQ(reachablePosition(QRect(100, 100, 620, 400), screens, fallback), QPoint(100, 100));
    EXPECT_EQ(reachablePosition(QRect(2500, 500, 620, 400), screens, fallback), QPoint(2500, 500));
    EXPECT_EQ(reachablePosition(QRect(3300, 100, 620, 400), screens, fallback), QPoint(0, 30))
        << "the right screen is gone";
    EXPECT_EQ(reachablePosition(QRect(-700, -500, 620, 400), screens, fallback), QPoint(0, 30));
    EXPECT_EQ(reachablePosition(QRect(-500, 100, 620, 400), screens, fallback), QPoint(-500, 100))
        << "partly on a screen stays";
    EXPECT_EQ(reachablePosition(QRect(-610, 100, 620, 400), screens, fallback), QPoint(0, 30))
        << "a sliver of ten pixels cannot be grabbed";
}

} // namespace
