#include "graph/RasterOps.h"
#include "graph/TPerformanceGraph.h"
#include "graph/WinColor.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <stdexcept>

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kYellow = 0x00FFFF;

bool pixelIs(const QImage& image, int x, int y, uint32_t winColor)
{
    return image.pixel(x, y) == winColorToRgb(winColor);
}

// Rows of column x that show the colour.
std::set<int> rowsOf(const QImage& image, int x, uint32_t winColor)
{
    std::set<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (pixelIs(image, x, y, winColor))
            rows.insert(y);
    return rows;
}

std::set<int> range(int first, int last)
{
    std::set<int> r;
    for (int i = first; i <= last; ++i)
        r.insert(i);
    return r;
}

bool columnsEqual(const QImage& a, int xa, const QImage& b, int xb)
{
    if (a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (a.pixel(xa, y) != b.pixel(xb, y))
            return false;
    return true;
}

// Vertical grid lines: columns whose every row shows the grid colour.
std::set<int> gridColumns(const TPerformanceGraph& g)
{
    std::set<int> xs;
    for (int x = 0; x < g.image().width(); ++x)
        if (rowsOf(g.image(), x, g.ForeColor()).size() == static_cast<size_t>(g.image().height()))
            xs.insert(x);
    return xs;
}

void addColumn(TPerformanceGraph& g, std::initializer_list<std::pair<uint32_t, int>> points)
{
    for (const auto& [color, value] : points)
        g.DataPoint(color, value);
    g.Update();
}

} // namespace

TEST(PerformanceGraph, ScaleRoundsUpToGradientAndNotifiesOnlyOnChange)
{
    TPerformanceGraph g;
    int notifications = 0;
    int notifiedScale = -1;
    g.OnScaleChange = [&](TPerformanceGraph& sender) {
        ++notifications;
        notifiedScale = sender.Scale();
    };
    addColumn(g, {{kRed, 250}});
    EXPECT_EQ(g.Scale(), 300);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(notifiedScale, 300);

    addColumn(g, {{kRed, 280}});
    EXPECT_EQ(g.Scale(), 300);
    EXPECT_EQ(notifications, 1);
}

TEST(PerformanceGraph, ScaleFallsBackOnceThePeakHasLeftTheRing)
{
    TPerformanceGraph g;
    g.SetGradient(0);
    addColumn(g, {{kRed, 5}});
    ASSERT_EQ(g.Scale(), 5);
    // The peak's column is emptied when the current index comes round to it again.
    for (int i = 1; i < g.HistorySize() - 1; ++i) {
        addColumn(g, {{kRed, 0}});
        ASSERT_EQ(g.Scale(), 5) << "after " << i << " further updates";
    }
    addColumn(g, {{kRed, 0}});
    EXPECT_EQ(g.Scale(), 0);
}

TEST(PerformanceGraph, RoundUp)
{
    struct Case { int value, step, expected; };
    const Case cases[] = {
        {250, 100, 300},
        {300, 100, 300},
        {0, 100, 0},
        {1, 12500, 12500},
        {20000, 12500, 25000},
        {7, 0, 7},
        // Beyond the range the result saturates instead of wrapping negative.
        {std::numeric_limits<int>::max() - 5, 100, std::numeric_limits<int>::max()},
        {std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), std::numeric_limits<int>::max()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TPerformanceGraph::RoundUp(c.value, c.step), c.expected) << c.value << " step " << c.step;
}

TEST(PerformanceGraph, StackedBarSegmentsCoverTheirRows)
{
    TPerformanceGraph g; // 100 x 100, step 3, gradient 100, grid on
    g.SetGraphKind(pgBar);
    // First column: the scale changes, so it is drawn by the full redraw.
    addColumn(g, {{kRed, 10}, {kBlue, 30}});
    ASSERT_EQ(g.Scale(), 100);
    // Second column at the same scale: drawn into the new strip after scrolling.
    addColumn(g, {{kRed, 10}, {kBlue, 30}});
    ASSERT_EQ(g.Scale(), 100);

    const QImage& img = g.image();
    for (int x = 94; x < 100; ++x) {
        EXPECT_EQ(rowsOf(img, x, kRed), range(90, 99)) << "x " << x;
        EXPECT_EQ(rowsOf(img, x, kBlue), range(69, 89)) << "x " << x;
    }
    for (int x = 0; x < 94; ++x) {
        EXPECT_TRUE(rowsOf(img, x, kRed).empty()) << "x " << x;
        EXPECT_TRUE(rowsOf(img, x, kBlue).empty()) << "x " << x;
    }
}

TEST(PerformanceGraph, ZeroPointDrawsNothingAndKeepsTheBase)
{
    TPerformanceGraph withZero;
    TPerformanceGraph without;
    for (TPerformanceGraph* g : {&withZero, &without})
        g->SetGraphKind(pgBar);
    addColumn(withZero, {{kRed, 10}, {kGreen, 0}, {kBlue, 30}});
    addColumn(without, {{kRed, 10}, {kBlue, 30}});
    EXPECT_EQ(withZero.image(), without.image());
    for (int x = 0; x < withZero.image().width(); ++x)
        EXPECT_TRUE(rowsOf(withZero.image(), x, kGreen).empty());
}

TEST(PerformanceGraph, LineStartsAtPreviousValueOfItsColourOrAtTheBottom)
{
    TPerformanceGraph g; // line mode after construction
    g.SetGridlines(false);
    addColumn(g, {{kRed, 50}});
    addColumn(g, {{kRed, 60}, {kBlue, 60}});
    ASSERT_EQ(g.Scale(), 100);

    const QImage& img = g.image();
    std::set<int> red;
    std::set<int> blue;
    for (int x = 97; x < 100; ++x) {
        red.merge(rowsOf(img, x, kRed));
        blue.merge(rowsOf(img, x, kBlue));
    }
    ASSERT_FALSE(red.empty());
    ASSERT_FALSE(blue.empty());
    // Red carries on from 50 (row 50); blue had no point before and rises from the bottom edge.
    EXPECT_EQ(*red.rbegin(), 50);
    EXPECT_TRUE(pixelIs(img, 97, 50, kRed));
    EXPECT_EQ(*blue.rbegin(), 99);
    EXPECT_TRUE(pixelIs(img, 97, 99, kBlue));
    // Both head for row 40; the end point itself belongs to the next segment.
    EXPECT_GT(*red.begin(), 40);
    EXPECT_GT(*blue.begin(), 40);
}

TEST(PerformanceGraph, SeventeenthPointIsRefusedAndSixteenAreDrawn)
{
    TPerformanceGraph g;
    g.SetGraphKind(pgBar);
    g.SetGridlines(false);
    g.SetSize(10, 400);
    g.SetGradient(16);
    for (int i = 1; i <= 16; ++i)
        g.DataPoint(0x010101u * static_cast<uint32_t>(i * 10), i);
    EXPECT_THROW(g.DataPoint(kRed, 17), std::out_of_range);
    EXPECT_EQ(g.Column(g.CurrentY()).Count, 16);
    g.Update();
    ASSERT_EQ(g.Scale(), 16);
    const int x = g.Width() - 1;
    for (int i = 1; i <= 16; ++i)
        EXPECT_FALSE(rowsOf(g.image(), x, 0x010101u * static_cast<uint32_t>(i * 10)).empty()) << "point " << i;
    EXPECT_TRUE(rowsOf(g.image(), x, kRed).empty());
}

TEST(PerformanceGraph, NarrowingKeepsTheNewestColumnsAndWideningKeepsAll)
{
    TPerformanceGraph g;
    g.SetGraphKind(pgBar);
    g.SetGridlines(false);
    g.SetGradient(0);
    g.SetStepSize(2);
    g.SetSize(41, 60);
    for (int i = 1; i <= 40; ++i)
        addColumn(g, {{kRed, i * 7 % 50 + 1}});
    const QImage wide = g.image();

    g.SetSize(21, 60);
    g.Paint();
    const QImage narrow = g.image();
    ASSERT_EQ(narrow.width(), 21);
    const int shift = 41 - 21;
    // The ten newest closed columns, at the same distance from the right edge.
    for (int x = 1; x < 21; ++x)
        EXPECT_TRUE(columnsEqual(narrow, x, wide, x + shift)) << "x " << x;

    g.SetSize(41, 60);
    g.Paint();
    const QImage widened = g.image();
    // Placed from the left edge, followed by the new empty columns.
    for (int x = 1; x < 21; ++x)
        EXPECT_TRUE(columnsEqual(widened, x, narrow, x)) << "x " << x;
    for (int x = 21; x < 41; ++x)
        EXPECT_TRUE(rowsOf(widened, x, kRed).empty()) << "x " << x;

    // Later columns scroll in at the right while the kept ones move left
    // (a point at the current scale keeps it, so nothing is redrawn).
    const int scale = g.Scale();
    addColumn(g, {{kRed, scale}});
    ASSERT_EQ(g.Scale(), scale);
    EXPECT_TRUE(columnsEqual(g.image(), 1, narrow, 3));
    EXPECT_FALSE(rowsOf(g.image(), 40, kRed).empty());
}

TEST(PerformanceGraph, ScrolledPictureEqualsFullRedraw)
{
    // Bars only: a steep line segment may end with pixels in the following
    // strip, which a full redraw then keeps and scrolling had clipped.
    struct Case { int step; int grid; };
    const Case cases[] = {{1, 25}, {3, 15}, {7, 5}};
    for (const Case& c : cases) {
        TPerformanceGraph g;
        g.SetGraphKind(pgBar);
        g.SetStepSize(c.step);
        g.SetGridSize(c.grid);
        g.SetSize(100, 80);
        g.SetGradient(1000);
        for (int i = 0; i < 150; ++i)
            addColumn(g, {{kRed, (i * 37) % 600}, {kBlue, 600 + (i * 53) % 400}});
        ASSERT_EQ(g.Scale(), 1000);
        const QImage scrolled = g.image();
        g.Replay();
        // The leftover strip left of the first whole column is not redrawn.
        for (int x = 100 % c.step; x < 100; ++x)
            ASSERT_TRUE(columnsEqual(g.image(), x, scrolled, x)) << "step " << c.step << " x " << x;
    }
}

TEST(PerformanceGraph, GridScrollsWithTheDataAndKeepsItsPlaceOnRedraw)
{
    TPerformanceGraph g;
    g.SetGraphKind(pgBar);
    g.SetGradient(0);
    addColumn(g, {{kRed, 0}}); // scale settles at 0
    const std::set<int> before = gridColumns(g);
    ASSERT_FALSE(before.empty());
    addColumn(g, {{kRed, 0}});
    const std::set<int> after = gridColumns(g);
    std::set<int> shifted;
    for (int x : before)
        if (x - g.StepSize() >= 0)
            shifted.insert(x - g.StepSize());
    for (int x : shifted)
        EXPECT_TRUE(after.count(x)) << "x " << x;
    // Anything else is a line that just came in at the right edge.
    for (int x : after) {
        if (!shifted.count(x)) {
            EXPECT_GE(x, g.Width() - g.StepSize()) << "x " << x;
        }
    }

    g.SetBackColor(0x202020);
    EXPECT_EQ(gridColumns(g), after);
}

TEST(PerformanceGraph, StepWiderThanGridKeepsEveryGridLine)
{
    TPerformanceGraph g;
    g.SetGridSize(5);
    g.SetStepSize(12);
    g.SetGradient(0);
    for (int i = 0; i < 200; ++i)
        addColumn(g, {{kRed, 0}});
    EXPECT_GE(g.GridPhase(), 0);
    EXPECT_LT(g.GridPhase(), g.GridSize());
    const std::set<int> xs = gridColumns(g);
    // Lines every 5 pixels across the scrolled part of the picture.
    for (int x = 100 % 12 + 5; x < 100; ++x)
        EXPECT_TRUE(xs.count(x) || xs.count(x - 1) || xs.count(x - 2) || xs.count(x - 3) || xs.count(x - 4))
            << "gap at " << x;
}

TEST(PerformanceGraph, PropertyLimits)
{
    TPerformanceGraph g;
    g.SetGridSize(1);
    EXPECT_EQ(g.GridSize(), 2);
    g.SetStepSize(0);
    EXPECT_EQ(g.StepSize(), 1);
    EXPECT_EQ(g.GetBandCount(), g.Width());
    EXPECT_EQ(g.HistorySize(), g.Width() + 2);
}

TEST(PerformanceGraph, OddValuesAndSizesNeverBreakTheDrawing)
{
    TPerformanceGraph g;
    g.SetGraphKind(pgBar);
    // Only negative values: the scale becomes 0 and nothing is drawn.
    addColumn(g, {{kRed, -50}});
    EXPECT_EQ(g.Scale(), 0);
    for (int x = 0; x < g.Width(); ++x)
        EXPECT_TRUE(rowsOf(g.image(), x, kRed).empty());

    // A value far above a scale the owner forced: the column is simply full.
    addColumn(g, {{kBlue, std::numeric_limits<int>::max()}});
    g.SetScale(1);
    EXPECT_EQ(rowsOf(g.image(), g.Width() - 1, kBlue).size(), static_cast<size_t>(g.Height()));
    g.SetGraphKind(pgLine);
    g.SetGraphKind(pgBar);

    // A control of no size takes points and updates, and comes back intact.
    g.SetSize(0, 0);
    addColumn(g, {{kRed, 10}});
    EXPECT_TRUE(g.Paint().isNull());
    g.SetSize(2, 50);
    addColumn(g, {{kRed, 10}});
    g.SetSize(100, 100);
    EXPECT_EQ(g.Paint().size(), QSize(100, 100));
}

TEST(WinColor, RedSitsInTheLowestByte)
{
    EXPECT_EQ(winColorToQColor(kRed), QColor(255, 0, 0));
    EXPECT_EQ(winColorToQColor(kBlue), QColor(0, 0, 255));
    // The graph window's grid colour: blue 246, green 113, red 115.
    EXPECT_EQ(winColorToQColor(16150899), QColor(115, 113, 246));
    EXPECT_EQ(qColorToWinColor(QColor(121, 129, 255)), 16744825u);
    // A marker in the top byte does not change the colour.
    EXPECT_EQ(winColorToRgb(0xFF000000u | 16150899u), winColorToRgb(16150899u));
}

TEST(RasterOps, ShiftLeftMovesEveryRowAndLeavesOnlyTheRightStrip)
{
    for (const int step : {1, 3, 7, 100, 0}) {
        SCOPED_TRACE(step);
        QImage image(7 * 13, 5, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x, y, 7));
        const QImage before = image.copy();
        RasterOps::shiftLeft(image, step);
        const int moved = step > 0 && step < image.width() ? step : 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width() - moved; ++x)
                ASSERT_EQ(image.pixel(x, y), before.pixel(x + moved, y)) << x << "," << y;
    }
}
