#include "acquisition/TNic.h"
#include "config/QuantityFormat.h"
#include "config/TSprache.h"
#include "graph/WinColor.h"
#include "graph/ui/TGraphenform.h"
#include "support/QtPrinters.h"
#include "support/SettleWindows.h"
#include "support/TempHome.h"
#include "support/WaitFor.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

const QByteArray kLanguage = "[Quantities_1000]\n0=B\n1=KB\n2=MB\n3=GB\n4=TB\n5=PB\n6=EB\n7=ZB\n8=YB\n"
                             "[Quantities_1024]\n0=B\n1=KiB\n2=MiB\n3=GiB\n4=TiB\n5=PiB\n6=EiB\n7=ZiB\n8=YiB\n"
                             "[Graphenform]\nVordergrund1=Immer oben\nTransparenz1=Durchsichtig\n"
                             "Colors1->Caption=Farben\n"
                             "[TabSheet2]\nForeColorButton->Caption=Gitter\nBackColorButton->Caption=Hintergrund\n"
                             "SendColorButton->Caption=Senden\nRecvColorButton->Caption=Empfangen\n";

constexpr int kPause = 5000;

// A program folder with a language file and the graph window's variables.
class GraphenformTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.write("deutsch.lan", kLanguage);
        home.write("variables.conf", "[Variablen]\nsnapentfernung=15\nOnTopTimer_Interval=" + QByteArray::number(kPause) + "\n");
        ASSERT_TRUE(sprache.Laden("deutsch.lan"));
        nic.Index = QStringLiteral("00000002");
        nic.Name = QStringLiteral("eth0");
        nic.anzeigen_graph = true;
    }

    // One engine tick: counters advance by the given rates, then the window is fed.
    void tick(TGraphenform& w, long double received, long double sent)
    {
        recvCounter += received;
        sendCounter += sent;
        nic.set_wert_received(recvCounter);
        nic.set_wert_send(sendCounter);
        w.feed(nic, base, sprache);
    }

    QString fq(long double value) const { return FormatQuantity(value, base, sprache); }

    TempHome home;
    TSprache sprache;
    SampleContext context{1000, false};
    TNic nic{&context};
    int base = 1000;
    long double recvCounter = 0;
    long double sendCounter = 0;
};

QRect workArea(const QWidget& w)
{
    return w.screen()->availableGeometry();
}

} // namespace

TEST_F(GraphenformTest, ControlsCarryTheirNames)
{
    TGraphenform w;
    for (const char* name : {"PerformanceGraph1", "MaxLabel", "Raten_StatusBar", "Gesamt_StatusBar", "OnTopTimer",
                             "GraphenformPopupMenu", "Vordergrund1", "Transparenz1", "T00", "T50", "T100",
                             "Colors1", "ForeColorSubmenu1", "BackColorSubmenu1", "SendColorSubmenu1",
                             "RecvColorSubmenu1"})
        EXPECT_NE(w.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(w.MaxLabel->text().isEmpty());
    EXPECT_FALSE(w.OnTopTimer->isActive());
}

TEST_F(GraphenformTest, MaxLabelShowsTheScaleUntilThePeakHasScrolledOut)
{
    TGraphenform w;
    nic.maxspeed = 12500;
    w.configureFrom(nic);
    ASSERT_TRUE(w.isVisible());
    // The graph follows the window's size.
    ASSERT_EQ(w.graph().Width(), w.PerformanceGraph1->width());
    ASSERT_EQ(w.graph().HistorySize(), w.graph().Width() + 2);

    for (long double rate : {1.0L, 12500.0L, 800.0L}) {
        tick(w, rate, rate / 2);
        EXPECT_EQ(w.MaxLabel->text(), fq(12500));
    }
    tick(w, 20000, 10);
    EXPECT_EQ(w.MaxLabel->text(), fq(25000));

    // The peak's column is emptied after a full turn of the ring less one;
    // one further update came from the send point of the same tick.
    const int n = w.graph().HistorySize();
    const int fallBackTick = (n - 2 + 1) / 2;
    for (int t = 1; t <= fallBackTick; ++t) {
        tick(w, 100 + t, 50);
        const QString expected = fq(t < fallBackTick ? 25000 : 12500);
        ASSERT_EQ(w.MaxLabel->text(), expected) << "tick " << t;
    }
}

TEST_F(GraphenformTest, TheScaleLabelStaysInItsCornerAndWholeWhileTheGraphMovesBeneathIt)
{
    TGraphenform w;
    nic.maxspeed = 12500;
    w.configureFrom(nic);
    ASSERT_TRUE(waitFor([&] { return w.windowHandle() && w.windowHandle()->isExposed(); }));
    for (int t = 0; t < 40; ++t) {
        tick(w, 3000 * (t % 5), 1000);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(w.MaxLabel->pos(), QPoint(0, 0));
    const QRect place(w.MaxLabel->mapTo(&w, QPoint()), w.MaxLabel->size());
    const QImage shown = w.screen()->grabWindow(w.winId()).toImage().copy(place);
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32),
              w.MaxLabel->grab().toImage().convertToFormat(QImage::Format_RGB32))
        << "the label as it paints itself, not moved pixels of it";

    // Around it, the graph's picture.
    const QRect graphPlace(w.PerformanceGraph1->mapTo(&w, QPoint()), w.PerformanceGraph1->size());
    QImage graph = w.screen()->grabWindow(w.winId()).toImage().copy(graphPlace).convertToFormat(QImage::Format_RGB32);
    QImage model = w.graph().image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(graph.size(), model.size());
    for (QImage* image : {&graph, &model})
        QPainter(image).fillRect(w.MaxLabel->geometry(), Qt::black);
    EXPECT_TRUE(graph == model) << "the moved picture beside and below the label";
}

TEST_F(GraphenformTest, ZeroMaxSpeedScalesToTheHighestRate)
{
    TGraphenform w;
    nic.maxspeed = 0;
    w.configureFrom(nic);
    tick(w, 0, 0);
    EXPECT_EQ(w.graph().Scale(), 0);
    EXPECT_EQ(w.MaxLabel->text(), fq(0));
    tick(w, 777, 300);
    EXPECT_EQ(w.graph().Scale(), 777);
    EXPECT_EQ(w.MaxLabel->text(), fq(777));
}

TEST_F(GraphenformTest, StatusBarsShowRatesAndTotals)
{
    base = 1024;
    TGraphenform w;
    nic.maxspeed = 100000;
    w.configureFrom(nic);
    tick(w, 5000, 2000);
    tick(w, 70000, 1500);
    ASSERT_EQ(nic.get_rate_received(), 70000);
    ASSERT_EQ(nic.get_rate_send(), 1500);
    EXPECT_EQ(w.Raten_StatusBar->currentMessage(), "UL: " + fq(1500) + ", DL: " + fq(70000));
    EXPECT_EQ(w.Gesamt_StatusBar->currentMessage(), "UL: " + fq(3500) + ", DL: " + fq(75000));
    EXPECT_TRUE(w.Raten_StatusBar->currentMessage().contains("KiB"));
}

TEST_F(GraphenformTest, StatusBarTextsFollowTheBaseAndTheLanguageAndComeBackWhenCleared)
{
    TGraphenform w;
    nic.maxspeed = 100000;
    w.configureFrom(nic);
    tick(w, 5000, 500);
    const auto shown = [&] { return w.Raten_StatusBar->currentMessage(); };
    const auto expected = [&] { return "UL: " + fq(nic.get_rate_send()) + ", DL: " + fq(nic.get_rate_received()); };
    ASSERT_EQ(shown(), expected());

    // The same figures each time, with something else changed.
    base = 1024;
    w.feed(nic, base, sprache);
    EXPECT_EQ(shown(), expected());
    EXPECT_TRUE(shown().contains("KiB")) << qPrintable(shown());

    home.write("andere.lan", QByteArray(kLanguage).replace("\n0=B\n", "\n0=Oktette\n"));
    ASSERT_TRUE(sprache.Laden("andere.lan"));
    w.SpracheAnwenden(sprache);
    w.feed(nic, base, sprache);
    EXPECT_EQ(shown(), expected());
    EXPECT_TRUE(shown().startsWith("UL: 500.00 Oktette,")) << qPrintable(shown());

    w.Raten_StatusBar->clearMessage(); // as a status tip does when it goes
    w.feed(nic, base, sprache);
    EXPECT_EQ(shown(), expected());
}

TEST_F(GraphenformTest, EachTickAddsAReceiveBarThenASendBar)
{
    TGraphenform w;
    nic.maxspeed = 10000;
    nic.recvgraph = 0x00C000;
    nic.sendgraph = 0x0000C0;
    w.configureFrom(nic);
    tick(w, 10000, 10000);
    const QImage& img = w.graph().image();
    const int right = img.width() - 1;
    const int bottom = img.height() - 1;
    EXPECT_EQ(img.pixel(right - 1, bottom), winColorToRgb(nic.recvgraph));
    EXPECT_EQ(img.pixel(right, bottom), winColorToRgb(nic.sendgraph));
    EXPECT_EQ(img.pixel(right - 1, 0), winColorToRgb(nic.recvgraph)); // full scale: whole height
}

TEST_F(GraphenformTest, SettingsRoundTrip)
{
    TGraphenform w;
    const QRect area = workArea(w);
    nic.links = area.x() + 120;
    nic.oben = area.y() + 90;
    nic.breite = 300;
    nic.hoehe = 250;
    nic.tranz = true;
    nic.tranz_wert = 100;
    nic.ontop = true;
    nic.forecolor = 0x123456;
    nic.backcolor = 0x654321;
    w.configureFrom(nic);
    EXPECT_NEAR(w.windowOpacity(), 100 / 255.0, 0.01);
    EXPECT_EQ(w.graph().ForeColor(), 0x123456u);
    EXPECT_TRUE(w.Vordergrund1->isChecked());

    SampleContext otherContext;
    TNic back(&otherContext);
    w.copyTo(back);
    EXPECT_TRUE(back.anzeigen_graph);
    EXPECT_EQ(back.links, nic.links);
    EXPECT_EQ(back.oben, nic.oben);
    EXPECT_EQ(back.breite, nic.breite);
    EXPECT_EQ(back.hoehe, nic.hoehe);
    EXPECT_TRUE(back.tranz);
    EXPECT_EQ(back.tranz_wert, 100);
    EXPECT_TRUE(back.ontop);
    EXPECT_EQ(back.forecolor, nic.forecolor);
    EXPECT_EQ(back.backcolor, nic.backcolor);
}

TEST_F(GraphenformTest, HiddenWindowKeepsItsSettings)
{
    TGraphenform w;
    nic.anzeigen_graph = false;
    nic.ontop = true;
    nic.tranz = false;
    nic.tranz_wert = 180;
    w.configureFrom(nic);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.windowOpacity(), 1.0);
    SampleContext otherContext;
    TNic back(&otherContext);
    w.copyTo(back);
    EXPECT_FALSE(back.anzeigen_graph);
    EXPECT_TRUE(back.ontop);
    EXPECT_FALSE(back.tranz);
    EXPECT_EQ(back.tranz_wert, 180);
}

TEST_F(GraphenformTest, CloseOnlyHides)
{
    auto* w = new TGraphenform;
    w->configureFrom(nic);
    ASSERT_TRUE(w->isVisible());
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible());
    tick(*w, 10, 10); // still fed without harm
    SampleContext otherContext;
    TNic back(&otherContext);
    w->copyTo(back);
    EXPECT_FALSE(back.anzeigen_graph);
    delete w;
}

TEST_F(GraphenformTest, TransparencyEntries)
{
    TGraphenform w;
    w.configureFrom(nic);
    struct Case { int entry; bool translucent; int opacity; };
    for (const Case& c : {Case{5, true, 127}, Case{10, true, 0}, Case{1, true, 225}, Case{0, false, 255}}) {
        w.T[c.entry]->trigger();
        EXPECT_EQ(w.translucent(), c.translucent) << c.entry;
        EXPECT_EQ(w.opacityValue(), c.opacity) << c.entry;
        EXPECT_NEAR(w.windowOpacity(), c.opacity / 255.0, 0.01) << c.entry;
        EXPECT_FALSE(w.T[c.entry]->isChecked());
    }
    // The settings tab's box switches translucency off and on with the kept opacity.
    w.T[7]->trigger();
    w.setTranslucent(false);
    EXPECT_EQ(w.windowOpacity(), 1.0);
    w.setTranslucent(true);
    EXPECT_NEAR(w.windowOpacity(), 75 / 255.0, 0.01);
}

TEST_F(GraphenformTest, OnTopPausesWhileTheMenuIsOpen)
{
    TGraphenform w;
    w.configureFrom(nic);
    w.Vordergrund1Click();
    ASSERT_TRUE(w.OnTopTimer->isActive());
    EXPECT_EQ(w.OnTopTimer->interval(), TGraphenform::OnTopIntervalMs);
    EXPECT_EQ(w.OnTopPauseInterval, kPause);

    w.GraphenformPopupMenuPopup();
    EXPECT_EQ(w.OnTopTimer->interval(), kPause);
    EXPECT_EQ(TGraphenform::OnTopInsertAfter(), w.GraphenformPopupMenu);

    w.OnTopTimerTimer();
    EXPECT_EQ(w.OnTopTimer->interval(), TGraphenform::OnTopIntervalMs);
    EXPECT_EQ(TGraphenform::OnTopInsertAfter(), nullptr);
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());

    // The settings tab only stops the raising; the window stays in the top layer.
    w.setOnTop(false);
    EXPECT_FALSE(w.OnTopTimer->isActive());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // The window's own entry lowers it at once and keeps it shown.
    w.setOnTop(true);
    w.Vordergrund1Click();
    EXPECT_FALSE(w.Vordergrund1->isChecked());
    EXPECT_FALSE(w.OnTopTimer->isActive());
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());

    // Without the on-top state the menu changes nothing.
    w.GraphenformPopupMenuPopup();
    EXPECT_EQ(TGraphenform::OnTopInsertAfter(), nullptr);
}

TEST_F(GraphenformTest, ColourEntriesUseTheInjectedDialog)
{
    TGraphenform w;
    w.configureFrom(nic);
    std::optional<uint32_t> answer = 0x00AA55;
    uint32_t presetSeen = 0;
    w.setColorChooser([&](QWidget*, uint32_t initial) {
        presetSeen = initial;
        return answer;
    });

    const uint32_t fore = w.graph().ForeColor();
    w.ForeColorSubmenu1->trigger();
    EXPECT_EQ(presetSeen, fore);
    EXPECT_EQ(w.graph().ForeColor(), 0x00AA55u);

    answer = 0x112233;
    w.BackColorSubmenu1->trigger();
    EXPECT_EQ(w.graph().BackColor(), 0x112233u);

    const uint32_t send = nic.sendgraph;
    answer = 0x445566;
    w.SendColorSubmenu1->trigger();
    EXPECT_EQ(presetSeen, send);
    EXPECT_EQ(nic.sendgraph, 0x445566u);

    answer = std::nullopt; // cancelled
    const uint32_t recv = nic.recvgraph;
    w.RecvColorSubmenu1->trigger();
    EXPECT_EQ(presetSeen, recv);
    EXPECT_EQ(nic.recvgraph, recv);
}

TEST_F(GraphenformTest, LanguageTextsGoIntoTheMenu)
{
    TGraphenform w;
    w.SpracheAnwenden(sprache);
    EXPECT_EQ(w.Vordergrund1->text(), "Immer oben");
    EXPECT_EQ(w.Transparenz1->title(), "Durchsichtig");
    EXPECT_EQ(w.Colors1->title(), "Farben");
    EXPECT_EQ(w.ForeColorSubmenu1->text(), "Gitter");
    EXPECT_EQ(w.BackColorSubmenu1->text(), "Hintergrund");
    EXPECT_EQ(w.SendColorSubmenu1->text(), "Senden");
    EXPECT_EQ(w.RecvColorSubmenu1->text(), "Empfangen");
    EXPECT_EQ(w.T[3]->text(), "30%");
}

TEST_F(GraphenformTest, MovesSnapToTheWorkArea)
{
    TGraphenform w;
    w.configureFrom(nic);
    const QRect area = workArea(w);
    const int y = area.y() + 100;

    w.moveSnapped(QPoint(area.x() + 10, y));
    EXPECT_EQ(w.pos(), QPoint(area.x(), y));
    w.moveSnapped(QPoint(area.x() + 16, y));
    EXPECT_EQ(w.pos(), QPoint(area.x() + 16, y));

    // A plain move, as a drag does, is snapped as well, where it comes to rest.
    w.move(area.x() + 60, area.y() + 8);
    settleWindows();
    EXPECT_EQ(w.pos(), QPoint(area.x() + 60, area.y()));

    // Settings that place the window near an edge are snapped when applied.
    nic.links = area.x() + area.width() - w.frameGeometry().width() - 5;
    nic.oben = area.y() + 200;
    w.configureFrom(nic);
    settleWindows();
    EXPECT_EQ(w.frameGeometry().right() + 1, area.x() + area.width());
}

TEST_F(GraphenformTest, RendersAFewMinutesOfTraffic)
{
    TGraphenform w;
    w.setWindowTitle(QStringLiteral("eth0 (00:11:22:33:44:55)"));
    w.SpracheAnwenden(sprache);
    nic.maxspeed = 125000;
    nic.recvgraph = 16711680; // blue
    nic.sendgraph = 255;      // red
    nic.breite = 275;
    nic.hoehe = 195 + 2 * 19;
    w.configureFrom(nic);
    for (int t = 0; t < 180; ++t) {
        const double wave = 0.5 + 0.45 * std::sin(t / 9.0);
        tick(w, std::floor(110000 * wave) + (t % 7) * 900, std::floor(30000 * wave * wave) + (t % 5) * 400);
    }
    QApplication::processEvents(); // pending layout of the status bars
    const QImage shot = w.grab().toImage();
    const QString path = QCoreApplication::applicationDirPath() + "/graphenform_look.png";
    ASSERT_TRUE(shot.save(path));
    // An enlarged copy, easier to inspect by eye.
    shot.scaled(shot.size() * 3).save(QCoreApplication::applicationDirPath() + "/graphenform_look_x3.png");

    // Both bar colours reach the screen through the widget.
    const QPoint origin = w.PerformanceGraph1->mapTo(&w, QPoint(0, 0));
    bool recvSeen = false;
    bool sendSeen = false;
    for (int x = 0; x < w.PerformanceGraph1->width(); ++x) {
        const QRgb bottom = shot.pixel(origin.x() + x, origin.y() + w.PerformanceGraph1->height() - 1);
        recvSeen |= bottom == winColorToRgb(nic.recvgraph);
        sendSeen |= bottom == winColorToRgb(nic.sendgraph);
    }
    EXPECT_TRUE(recvSeen);
    EXPECT_TRUE(sendSeen);
}
