#include "graph/Snapping.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Work area with an offset on both axes, so that edges cannot be mixed up:
// left 100, top 50, right 1300 (exclusive), bottom 850 (exclusive).
const QRect kWorkArea(100, 50, 1200, 800);
constexpr int kW = 200; // window width
constexpr int kH = 150; // window height

struct Case
{
    const char* what;
    QPoint proposed;
    QPoint expected;
};

} // namespace

TEST(Snapping, TableOfProposedPositions)
{
    const Case cases[] = {
        {"free in the middle", {500, 400}, {500, 400}},
        // Inside alignment with each edge.
        {"left edge 10 inside", {110, 400}, {100, 400}},
        {"left edge 15 inside", {115, 400}, {100, 400}},
        {"left edge 16 inside", {116, 400}, {116, 400}},
        {"left edge 10 outside", {90, 400}, {100, 400}},
        {"right edge 12 inside", {1300 - kW - 12, 400}, {1300 - kW, 400}},
        {"right edge 16 inside", {1300 - kW - 16, 400}, {1300 - kW - 16, 400}},
        {"top edge 7 inside", {500, 57}, {500, 50}},
        {"top edge 16 inside", {500, 66}, {500, 66}},
        {"bottom edge 9 inside", {500, 850 - kH - 9}, {500, 850 - kH}},
        {"corner top left", {108, 60}, {100, 50}},
        {"corner bottom right", {1300 - kW - 5, 850 - kH - 5}, {1300 - kW, 850 - kH}},
        // Docking just outside an edge.
        {"left edge near right edge", {1310, 400}, {1300, 400}},
        {"left edge 16 from right edge", {1316, 400}, {1316, 400}},
        {"right edge near left edge", {100 - kW - 8, 400}, {100 - kW, 400}},
        {"top near bottom edge", {500, 860}, {500, 850}},
        {"bottom near top edge", {500, 50 - kH + 10}, {500, 50 - kH}},
        // Outside docking needs the other coordinate strictly inside the work area.
        {"near right edge, top above", {1310, 20}, {1310, 20}},
        {"near right edge, top on top edge", {1310, 50}, {1310, 50}},
        {"near right edge, top on bottom edge", {1310, 850}, {1310, 850}},
        {"near bottom edge, left of work area", {60, 860}, {60, 860}},
        {"near bottom edge, left on left edge", {100, 860}, {100, 860}},
    };
    for (const Case& c : cases) {
        const QRect result = SnapToWorkArea(QRect(c.proposed, QSize(kW, kH)), kWorkArea, 15);
        EXPECT_EQ(result.topLeft(), c.expected) << c.what;
        EXPECT_EQ(result.size(), QSize(kW, kH)) << c.what;
    }
}

TEST(Snapping, DistanceComesFromTheCaller)
{
    const QRect proposed(QPoint(130, 400), QSize(kW, kH)); // 30 inside the left edge
    EXPECT_EQ(SnapToWorkArea(proposed, kWorkArea, 15).topLeft(), QPoint(130, 400));
    EXPECT_EQ(SnapToWorkArea(proposed, kWorkArea, 30).topLeft(), QPoint(100, 400));
    EXPECT_EQ(SnapToWorkArea(proposed, kWorkArea, 0).topLeft(), QPoint(130, 400));
}

TEST(TitleBarFramePlace, AnInnerAreaAtOrAboveTheTopIsPlacedByItsFrame)
{
    const QRect area(0, 30, 1000, 700); // a panel of 30 pixels at the top
    const QSize size(200, 100);
    const struct
    {
        const char* what;
        QPoint inner;
        std::optional<QPoint> frame;
    } cases[] = {
        {"first start at 0/0", {0, 0}, QPoint(0, 30)},
        {"on the panel's edge", {300, 30}, QPoint(300, 30)},
        {"above the screen", {300, -50}, QPoint(300, 30)},
        {"right of the screen", {950, 0}, QPoint(800, 30)},
        {"left of the screen", {-40, 10}, QPoint(0, 30)},
        {"a pixel below the edge stays", {300, 31}, std::nullopt},
        {"saved below the title bar stays", {200, 150}, std::nullopt},
        {"low on the screen stays", {100, 600}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(titleBarFramePlace(QRect(c.inner, size), area), c.frame) << c.what;
    EXPECT_EQ(titleBarFramePlace(QRect(QPoint(0, 0), size), QRect()), std::nullopt) << "no work area known";
}
