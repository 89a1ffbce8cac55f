#include "graph/ui/PerformanceGraphWidget.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint32_t kReceive = 0x00FF00;
constexpr uint32_t kSend = 0x0000FF;

// What the window system holds for the widget: the scrolled and patched backing store, not a
// fresh paint.
QImage onScreen(PerformanceGraphWidget& w)
{
    QCoreApplication::processEvents();
    return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// The first pixel where the two differ, or an empty string.
QString firstDifference(const QImage& shown, const QImage& full)
{
    if (shown.size() != full.size())
        return QStringLiteral("sizes differ");
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x)
            if (shown.pixel(x, y) != full.pixel(x, y))
                return QStringLiteral("pixel %1,%2").arg(x).arg(y);
    return {};
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class GraphWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        w.resize(275, 195);
        w.graph().SetGradient(100);
        w.show();
        ASSERT_TRUE(waitFor([this] { return w.windowHandle() && w.windowHandle()->isExposed(); }));
    }

    // One tick as a graph window feeds it: a receive column, then a send column, shown with one
    // move or (`together` false) a move per column. Now and then a peak far above the rest, so
    // the scale jumps up and, once it has scrolled out, down.
    void tick(bool together = true)
    {
        const bool peak = random() % 40 == 0;
        const int receive = peak ? 500000 + random() % 500000 : random() % 5000;
        const int send = random() % 3000;
        const auto columns = [&] {
            w.graph().DataPoint(kReceive, receive);
            w.graph().Update();
            w.graph().DataPoint(kSend, send);
            w.graph().Update();
        };
        if (together)
            w.scrollOnce(columns);
        else
            columns();
    }

    std::mt19937 random{20261211};
    PerformanceGraphWidget w;
};

} // namespace

TEST_F(GraphWidgetTest, WhatIsShownAfterScrollingEqualsAFullRepaintPixelForPixel)
{
    for (const TGraphKind kind : {pgLine, pgBar}) {
        w.graph().SetGraphKind(kind);
        int scaleChanges = 0;
        w.graph().OnScaleChange = [&](TPerformanceGraph&) { ++scaleChanges; };
        for (int i = 0; i < 500; ++i) {
            tick(i % 3 != 0);
            if (i % 7 != 0) // now and then two ticks before the window system hears of them
                QCoreApplication::processEvents();
        }
        EXPECT_GT(scaleChanges, 2) << "the samples never made the scale jump";
        const QImage shown = onScreen(w);
        w.repaint();
        const QImage full = onScreen(w);
        ASSERT_EQ(full, w.graph().image().convertToFormat(QImage::Format_RGB32)) << "a full repaint shows the picture";
        EXPECT_EQ(firstDifference(shown, full), QString()) << "graph kind " << kind;
    }
}

TEST_F(GraphWidgetTest, AWindowShownAgainShowsTheCurrentPictureAtOnce)
{
    for (int i = 0; i < 50; ++i)
        tick();
    w.hide();
    for (int i = 0; i < 30; ++i)
        tick();
    w.show();
    ASSERT_TRUE(waitFor([this] { return w.windowHandle()->isExposed(); }));
    EXPECT_EQ(firstDifference(onScreen(w), w.graph().image().convertToFormat(QImage::Format_RGB32)), QString());
}

TEST_F(GraphWidgetTest, ASteadyTickReachesTheScreenWithoutAPaintEvent)
{
    // Rates well inside the scale, so nothing asks for a whole new picture.
    const auto steady = [this](int i) {
        w.scrollOnce([&] {
            w.graph().DataPoint(kReceive, 40 + i % 30);
            w.graph().Update();
            w.graph().DataPoint(kSend, 10 + i % 7);
            w.graph().Update();
        });
        QCoreApplication::processEvents();
    };
    for (int i = 0; i < 5; ++i)
        steady(i);
    PaintCounter counter;
    w.installEventFilter(&counter);
    for (int i = 0; i < 40; ++i)
        steady(i);
    EXPECT_EQ(counter.paints, 0) << "the new strips went through Qt's repaint";
    EXPECT_EQ(firstDifference(onScreen(w), w.graph().image().convertToFormat(QImage::Format_RGB32)), QString());
}
