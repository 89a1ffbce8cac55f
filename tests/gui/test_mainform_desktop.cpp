// The main window on the desktop: icon and menus, hiding and restoring with
// and without a notification area, help, about box, autostart and priority.
#include "acquisition/TNic.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/TMainform.h"
#include "desktop/BasisPrio.h"
#include "desktop/ProgramIcon.h"
#include "desktop/ui/TAboutBox.h"
#include "desktop/ui/TrayIcon.h"
#include "graph/ui/TGraphenform.h"
#include "BuildVersion.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr uint64_t kUp = 100000;

class DesktopTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        table.setRows({FakeInterfaceTable::row(1, "lo", kUp, kUp, 24), FakeInterfaceTable::row(2, "eth0", kUp, kUp, 6),
                       FakeInterfaceTable::row(3, "wlan0", kUp, kUp, 71)});
    }

    // Graph windows the settings show (eth0, wlan0, dial-up).
    static std::vector<TGraphenform*> shownGraphs(TMainform& form)
    {
        std::vector<TGraphenform*> shown;
        for (size_t i = 0; i < form.entries().size(); ++i)
            if (form.entries()[i]->anzeigen_graph)
                shown.push_back(form.graphWindows()[i]);
        return shown;
    }

    QString errorText(const char* key) const
    {
        // The shipped German texts.
        for (const QByteArray& line : home.read("deutsch.lan").split('\n'))
            if (line.startsWith(QByteArray(key) + '='))
                return QString::fromUtf8(line.mid(qstrlen(key) + 1));
        return {};
    }

    void settle() { QCoreApplication::processEvents(); }

    // "Minimise" and minimising the active window both leave a taskbar button, never a hidden window.
    void expectMinimisedIntoTheTaskbar(TMainform& form)
    {
        form.Minimieren1->trigger();
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.isMinimized()) << "minimised, not hidden";
        form.Minimieren1->trigger();
        EXPECT_FALSE(form.isMinimized());

        QApplication::setActiveWindow(&form);
        form.setWindowState(Qt::WindowMinimized);
        settle();
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.isMinimized());
        form.setWindowState(Qt::WindowNoState);
        settle();
    }
};

TEST_F(DesktopTest, TrayMenuAndLeftClickToggleTheWindows)
{
    TMainform form(services, {});
    form.showAtStart();
    settle();
    ASSERT_TRUE(form.isVisible());
    const std::vector<TGraphenform*> graphs = shownGraphs(form);
    ASSERT_EQ(graphs.size(), 3u);

    QApplication::setActiveWindow(&form);
    emit form.Tray->CoolTrayIcon1->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(form.isVisible()) << "the active window goes into the icon";
    emit form.Tray->CoolTrayIcon1->activated(QSystemTrayIcon::Trigger);
    settle();
    EXPECT_TRUE(form.isVisible()) << "back (activation needs a window manager: the end-to-end test)";
    emit form.Tray->CoolTrayIcon1->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(form.isVisible()) << "only a left click toggles";
    // Shown but another window is active (the main window is covered): forward, not away.
    QApplication::setActiveWindow(graphs[0]);
    ASSERT_FALSE(form.isActiveWindow());
    emit form.Tray->CoolTrayIcon1->activated(QSystemTrayIcon::Trigger);
    settle();
    EXPECT_TRUE(form.isVisible()) << "a covered window comes forward";

    form.Tray->allesMinimieren1->trigger();
    settle();
    EXPECT_FALSE(form.isVisible());
    for (TGraphenform* w : graphs)
        EXPECT_TRUE(w->isMinimized());
    form.Tray->Wiederherstellen1->trigger();
    settle();
    EXPECT_TRUE(form.isVisible());
    for (TGraphenform* w : graphs) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->isMinimized());
    }
    // The main menu's entries do the same.
    form.AllesMinimieren2->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(graphs[0]->isMinimized());
    form.Minimieren1->trigger();
    EXPECT_TRUE(form.isVisible());

    // A hidden graph window stays hidden through "restore".
    form.graphWindows()[0]->hide();
    form.Tray->Wiederherstellen1->trigger();
    EXPECT_FALSE(form.graphWindows()[0]->isVisible());

    form.Tray->Beenden2->trigger();
    EXPECT_TRUE(form.entries().empty()) << "the tray's exit runs the shutdown";
}

TEST_F(DesktopTest, WithTheIconTheWindowHasNoTaskbarButtonAndOnlyACloseButton)
{
    TMainform form(services, {});
    EXPECT_EQ(form.windowType(), Qt::Tool);
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    form.show();
    settle();
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
    EXPECT_TRUE(form.Tray->isShown());

    notificationArea.present = false;
    TMainform plain(services, {});
    EXPECT_EQ(plain.windowType(), Qt::Window) << "keeps its taskbar button";
    EXPECT_FALSE(plain.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(plain.Tray->isShown());
}

TEST_F(DesktopTest, WithoutANotificationAreaNothingIsHiddenOutOfReach)
{
    notificationArea.present = false;
    TMainform form(services, {});
    form.showAtStart();
    settle();
    const std::vector<TGraphenform*> graphs = shownGraphs(form);

    expectMinimisedIntoTheTaskbar(form);

    form.AllesMinimieren2->trigger();
    settle();
    EXPECT_TRUE(form.isMinimized());
    for (TGraphenform* w : graphs)
        EXPECT_TRUE(w->isMinimized());
    // Back from the taskbar, the main window brings the graph windows along.
    form.setWindowState(Qt::WindowNoState);
    settle();
    for (TGraphenform* w : graphs)
        EXPECT_FALSE(w->isMinimized());
}

TEST_F(DesktopTest, ANotificationAreaThatComesAfterTheStartGetsTheIcon)
{
    // Started at logon before the panel: no icon, a taskbar button.
    notificationArea.present = false;
    TMainform form(services, {});
    form.showAtStart();
    settle();
    ASSERT_FALSE(form.Tray->isShown());
    auto* watch = form.findChild<QTimer*>(QStringLiteral("NotificationAreaWatch"));
    ASSERT_NE(watch, nullptr);
    EXPECT_TRUE(watch->isActive());
    EXPECT_EQ(watch->interval(), 2000);
    form.checkNotificationArea();
    EXPECT_FALSE(form.Tray->isShown()) << "no area yet";
    expectMinimisedIntoTheTaskbar(form);
    // Asked every two seconds for the session's first minute, then twice a minute.
    for (int i = 0; i < 30; ++i)
        form.checkNotificationArea();
    EXPECT_EQ(watch->interval(), 30000);
    EXPECT_TRUE(watch->isActive());
    const QPoint place = form.geometry().topLeft();

    notificationArea.present = true;
    form.checkNotificationArea();
    settle();
    EXPECT_TRUE(form.Tray->isShown());
    EXPECT_EQ(form.windowType(), Qt::Tool) << "no taskbar button any more";
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.geometry().topLeft(), place) << "where it was";
    form.checkNotificationArea(); // once is enough
    EXPECT_TRUE(form.Tray->isShown());

    // From now on hiding goes into the icon.
    form.AllesMinimieren2->trigger();
    settle();
    EXPECT_FALSE(form.isVisible());
    form.Tray->Wiederherstellen1->trigger();
    EXPECT_TRUE(form.isVisible());
}

TEST_F(DesktopTest, WhereTheDesktopAnnouncesANewAreaTheIconGoesThereWithoutBeingAskedForEveryTwoSeconds)
{
    notificationArea.present = false;
    notificationArea.announces = true;
    auto form = std::make_unique<TMainform>(services, QStringList());
    form->showAtStart();
    settle();
    ASSERT_FALSE(form->Tray->isShown());
    auto* watch = form->findChild<QTimer*>(QStringLiteral("NotificationAreaWatch"));
    ASSERT_NE(watch, nullptr);
    EXPECT_TRUE(watch->isActive()) << "asking stays as a net";
    EXPECT_EQ(watch->interval(), 30000);
    ASSERT_TRUE(notificationArea.arrived);
    // Called through a copy, as the area does: taking the icon ends the announcements.
    const auto announcement = notificationArea.arrived;
    announcement(); // another selection's manager: no area yet
    EXPECT_FALSE(form->Tray->isShown());

    notificationArea.present = true;
    announcement();
    settle();
    EXPECT_TRUE(form->Tray->isShown());
    EXPECT_FALSE(watch->isActive());
    EXPECT_FALSE(notificationArea.arrived) << "nothing more to wait for";

    // A window closed while it waits leaves nothing behind to be called.
    notificationArea.present = false;
    form.reset();
    form = std::make_unique<TMainform>(services, QStringList());
    ASSERT_TRUE(notificationArea.arrived);
    form.reset();
    EXPECT_FALSE(notificationArea.arrived);
}

TEST_F(DesktopTest, AWindowMinimisedIntoTheTaskbarGoesIntoTheIconThatAppears)
{
    notificationArea.present = false;
    TMainform form(services, {});
    form.showMinimized();
    settle();
    notificationArea.present = true;
    form.checkNotificationArea();
    settle();
    EXPECT_FALSE(form.isVisible()) << "minimised without a taskbar button would be out of reach";
    EXPECT_FALSE(form.isMinimized());
    emit form.Tray->CoolTrayIcon1->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(DesktopTest, VisibleZeroStartsInTheIconOrMinimised)
{
    home.write("netzpegel.ini", "[Fenster]\nVisible=0\n");
    {
        TMainform form(services, {});
        form.showAtStart();
        settle();
        EXPECT_FALSE(form.isVisible()) << "in the notification area only";
        EXPECT_TRUE(form.Tray->isShown());
    }
    EXPECT_TRUE(home.read("netzpegel.ini").contains("Visible=0"));
    notificationArea.present = false;
    {
        TMainform form(services, {});
        form.showAtStart();
        settle();
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.isMinimized());
    }
    EXPECT_TRUE(home.read("netzpegel.ini").contains("Visible=0")) << "still minimised at the next start";
}

TEST_F(DesktopTest, MinimisingTheActiveWindowHidesItOnlyWhereTheIconCanBringItBack)
{
    const struct
    {
        bool icon;
        bool visible;
        bool minimised;
    } cases[] = {{true, false, false}, {false, true, true}};
    for (const auto& c : cases) {
        notificationArea.present = c.icon;
        TMainform form(services, {});
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(form.isActiveWindow()) << c.icon;
        form.setWindowState(Qt::WindowMinimized);
        settle();
        EXPECT_EQ(form.isVisible(), c.visible) << "icon " << c.icon;
        EXPECT_EQ(form.isMinimized(), c.minimised) << "icon " << c.icon;
    }
}

TEST_F(DesktopTest, HelpOpensThePageOfTheTabAndTheStartPageWhileHidden)
{
    TMainform form(services, {});
    form.show();
    const char* const pages[] = {"livedaten.htm", "einstellungen.htm", "statistiken.htm", "berichte.htm",
                                 "datenbank.htm"};
    for (int i = 0; i < 5; ++i) {
        form.PageControl1->setCurrentIndex(i);
        form.Hilfe1->trigger();
        EXPECT_EQ(opener.opened.value(i), QUrl::fromLocalFile(home.file(QStringLiteral("Hilfe/") + pages[i])));
    }
    form.hide();
    form.Hilfe1->trigger();
    EXPECT_EQ(opener.opened.value(5), QUrl::fromLocalFile(home.file("Hilfe/index.htm")));
    form.show();
    EXPECT_EQ(form.helpTopic(), "datenbank.htm") << "showing the window sets the topic of its tab";
    form.Donate1->trigger();
    EXPECT_EQ(opener.opened.value(6), QUrl::fromLocalFile(home.file("Hilfe/donate.htm")));
    EXPECT_EQ(form.Hilfe1->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(form.Debug1->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_FALSE(form.Debug1->isVisible());
}

TEST_F(DesktopTest, F1InAGraphWindowOpensTheStartPageWhileTheMainWindowIsHidden)
{
    TMainform form(services, {});
    form.showAtStart();
    settle();
    form.Minimieren1->trigger();
    ASSERT_FALSE(form.isVisible());
    TGraphenform* graph = shownGraphs(form).at(0);
    ASSERT_TRUE(graph->isVisible());
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(graph, &f1);
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(home.file("Hilfe/index.htm")));
}

TEST_F(DesktopTest, EveryWindowOfTheProgramCarriesItsIcon)
{
    TMainform form(services, {});
    auto picture = [](const QIcon& icon) {
        return icon.pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QImage expected = paintProgramIcon(32, kIconReceiveLevel, kIconSendLevel);
    EXPECT_EQ(picture(form.windowIcon()), expected);
    EXPECT_EQ(picture(form.graphWindows().at(0)->windowIcon()), expected);
    QMessageBox box;
    EXPECT_EQ(picture(box.windowIcon()), expected);
}

TEST_F(DesktopTest, HelpFollowsTheChosenFolder)
{
    home.write("netzpegel.ini", "[Allgemein]\nHilfedatei=Help\n");
    TMainform form(services, {});
    form.show();
    form.PageControl1->setCurrentIndex(1);
    form.Hilfe1->trigger();
    EXPECT_EQ(opener.opened.value(0), QUrl::fromLocalFile(home.file("Help/einstellungen.htm")));
}

TEST_F(DesktopTest, ReportbugOpensTheBugReportAddress)
{
    home.write("variables.conf", "[Variablen]\nbugreport=http://127.0.0.1/netzpegel/fehler.htm\n");
    TMainform form(services, {});
    form.Reportbug1->trigger();
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened[0], QUrl("http://127.0.0.1/netzpegel/fehler.htm"));

    home.write("variables.conf", "[Variablen]\n");
    form.Reportbug1->trigger();
    EXPECT_EQ(opener.opened.size(), 1) << "no address, nothing opened";
}

TEST_F(DesktopTest, AutostartBoxWritesOneEntryAndShowsWhatIsThere)
{
    TMainform form(services, {});
    QCheckBox* box = form.TabSheet2->Autostart_CheckBox;
    EXPECT_FALSE(box->isHidden());
    EXPECT_FALSE(box->isChecked());
    box->click();
    box->click();
    box->click();
    ASSERT_EQ(autostart.entries.size(), 1);
    EXPECT_TRUE(autostart.entries.contains("Netzpegel.desktop"));
    const QByteArray entry = autostart.entries.first();
    EXPECT_TRUE(entry.contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + "\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("\nIcon=netzpegel\n"));
    EXPECT_TRUE(box->isChecked());

    // Removed by hand: the settings tab shows it when it is shown.
    autostart.entries.clear();
    form.PageControl1->setCurrentIndex(1);
    EXPECT_FALSE(box->isChecked());
    // Unchecking an entry that is gone says nothing.
    box->setChecked(true);
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DesktopTest, AnAutostartEntrySwitchedOffByTheDesktopShowsOffAndComesBackOn)
{
    for (const QByteArray off : {QByteArray("Hidden=true"), QByteArray("X-GNOME-Autostart-enabled=false")}) {
        autostart.entries.insert("Netzpegel.desktop", "[Desktop Entry]\nType=Application\nExec=netzpegel\n" + off + "\n");
        TMainform form(services, {});
        QCheckBox* box = form.TabSheet2->Autostart_CheckBox;
        EXPECT_FALSE(box->isChecked()) << off.constData();
        box->click();
        EXPECT_TRUE(box->isChecked()) << off.constData();
        EXPECT_FALSE(autostart.entries.value("Netzpegel.desktop").contains(off)) << "an enabled entry";
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(DesktopTest, AutostartFailuresAreShownAndTheBoxTellsTheTruth)
{
    TMainform form(services, {});
    QCheckBox* box = form.TabSheet2->Autostart_CheckBox;
    autostart.writeFails = true;
    box->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Error);
    EXPECT_EQ(messages.shown[0].text, errorText("Error34"));
    EXPECT_FALSE(box->isChecked());

    autostart.writeFails = false;
    box->click();
    autostart.removeFails = true;
    box->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, errorText("Error35"));
    EXPECT_TRUE(box->isChecked());
}

TEST_F(DesktopTest, PriorityIsSetAtStartAndWhenTheTrackBarMoves)
{
    {
        TMainform form(services, {});
        EXPECT_EQ(priority.asked, std::vector<int>{-10}) << "position 2 by default: high";
        form.TabSheet2->Basisprio_TrackBar->setValue(4);
        EXPECT_EQ(priority.asked.back(), 19);
    }
    const struct
    {
        const char* stored;
        std::vector<int> asked;
        int shown;
    } cases[] = {
        {"0", {}, 3},    // no priority of its own: the bar shows the normal one it keeps
        {"9", {}, 3},
        {"x", {-10}, 2}, // not a number: the default
    };
    for (const auto& c : cases) {
        priority.asked.clear();
        home.write("netzpegel.ini", QByteArray("[Allgemein]\nbasisprio=") + c.stored + "\n");
        TMainform form(services, {});
        EXPECT_EQ(priority.asked, c.asked) << c.stored;
        EXPECT_EQ(form.TabSheet2->Basisprio_TrackBar->value(), c.shown) << c.stored;
        EXPECT_TRUE(messages.shown.empty());
    }
    EXPECT_TRUE(home.read("netzpegel.ini").contains("basisprio=x")) << "a bad value is not overwritten at close";
}

TEST_F(DesktopTest, ARefusedPriorityPutsTheBarBackWhereTheProcessRuns)
{
    // Unprivileged, and lowered to idle by an earlier run of the bar.
    priority.refuse = true;
    priority.current = 19;
    TMainform form(services, {});
    QSlider* bar = form.TabSheet2->Basisprio_TrackBar;
    EXPECT_EQ(priority.asked, std::vector<int>{-10}) << "the saved high priority is asked for";
    EXPECT_EQ(bar->value(), 4) << "and the bar shows idle, where the process is";
    EXPECT_TRUE(messages.shown.empty()) << "nothing to tell at every start";

    for (int wanted : {3, 1}) {
        bar->setValue(wanted);
        EXPECT_EQ(priority.asked.back(), *niceForBasisPrio(wanted));
        EXPECT_EQ(bar->value(), 4) << wanted;
    }
    ASSERT_EQ(messages.shown.size(), 1u) << "told once";
    EXPECT_EQ(messages.shown[0].text, errorText("Error41"));
    EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Warning);

    // Lowering is allowed: the bar stays where it was put.
    priority.current = 0;
    bar->setValue(3);
    EXPECT_EQ(bar->value(), 3);
    bar->setValue(4);
    EXPECT_EQ(priority.current, 19);
    EXPECT_EQ(bar->value(), 4);
}

TEST_F(DesktopTest, TranslucencyControlsHintWithoutAnAdapter)
{
    TMainform form(services, {});
    EinstellungenTab* t = form.TabSheet2;
    EXPECT_EQ(t->TranzValue_TrackBar->value(), 255);
    EXPECT_EQ(t->TranzValue_TrackBar->pageStep(), 10);
    EXPECT_EQ(t->Umrechnung_CheckBox->toolTipDuration(), 30000);
    EXPECT_FALSE(t->Umrechnung_CheckBox->toolTip().isEmpty());

    form.PageControl1->setCurrentIndex(1);
    t->Einstellungen_Tranz_CheckBox->click();
    EXPECT_EQ(t->Einstellungen_Tranz_CheckBox->toolTip(), errorText("Error15"));
    t->TranzValue_TrackBar->setValue(100);
    EXPECT_EQ(t->TranzValue_TrackBar->toolTip(), errorText("Error15"));
    EXPECT_EQ(t->TranzValue_TrackBar->toolTipDuration(), 30000) << "a hint given later stays as long";

    t->Einstellungen_Nic_ComboBox->setCurrentIndex(1);
    form.Einstellungen_Nic_ComboBoxSelect(1);
    t->Einstellungen_Tranz_CheckBox->setChecked(false);
    t->Einstellungen_Tranz_CheckBox->click();
    EXPECT_EQ(t->Einstellungen_Tranz_CheckBox->toolTip(), QString()) << "cleared once an adapter is chosen";
    t->TranzValue_TrackBar->setValue(130);
    EXPECT_TRUE(form.graphWindows()[1]->translucent());
    EXPECT_EQ(form.graphWindows()[1]->opacityValue(), 130);
    EXPECT_EQ(t->TranzValue_TrackBar->toolTip(), errorText("Error15")) << "the track bar's hint stays";
}

TEST_F(DesktopTest, LiveGridHeadersShowWholeInTheFixedWindow)
{
    for (const char* language : {"deutsch.lan", "english.lan"}) {
        home.write("netzpegel.ini", QByteArray("[Allgemein]\nSprachdateiname=") + language + "\n");
        TMainform form(services, {});
        form.show();
        settle();
        QTableWidget* grid = form.TabSheet1->StringGrid1;
        QHeaderView* header = grid->horizontalHeader();
        for (int c = 0; c < grid->columnCount(); ++c)
            EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c))
                << language << ": " << grid->horizontalHeaderItem(c)->text().toStdString() << " is cut off";
        EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0) << language << ": the grid still fits the page";
    }
}

TEST_F(DesktopTest, IconShowsTheRatesAndTheTooltipTodaysTotals)
{
    TMainform form(services, {});
    const qint64 idle = form.Tray->icon().pixmap(22).cacheKey();
    EXPECT_TRUE(form.Tray->toolTip().startsWith("Netzpegel " NETZPEGEL_VERSION_TEXT "\n"))
        << form.Tray->toolTip().toStdString();
    form.NicEngineTimer();
    table.addOctets(2, 300000, 4000);
    form.NicEngineTimer();
    EXPECT_NE(form.Tray->icon().pixmap(22).cacheKey(), idle);
    EXPECT_TRUE(form.Tray->toolTip().contains("DL: 292,97 KiB")) << form.Tray->toolTip().toStdString();
    EXPECT_TRUE(form.Tray->toolTip().contains("UL: 3,91 KiB")) << form.Tray->toolTip().toStdString();
}

TEST_F(DesktopTest, TheFatalPathShowsItsBalloonThroughTheIconOrElseOnlyItsMessage)
{
    for (const bool icon : {true, false}) {
        notificationArea.present = icon;
        messages.shown.clear();
        TMainform form(services, {});
        form.showAtStart();
        settle();
        ASSERT_EQ(form.Tray->isShown(), icon);
        const std::runtime_error failure("kaputt");
        form.ApplicationException(QStringLiteral("QTimer"), &failure);
        // The application is not to end here: the test goes on.
        QCoreApplication::removePostedEvents(qApp, QEvent::MetaCall);
        const TrayIcon::Balloon& b = form.Tray->lastBalloon();
        EXPECT_EQ(b.title, errorText("Error7")) << icon;
        EXPECT_EQ(b.text, errorText("Error7")) << icon;
        EXPECT_EQ(b.icon, QSystemTrayIcon::Critical) << icon;
        EXPECT_EQ(b.seconds, 60) << icon;
        EXPECT_EQ(b.shown, icon) << "shown while the icon was still there, before the shutdown took it away";
        EXPECT_FALSE(form.Tray->isShown()) << "gone with the program";
        ASSERT_EQ(messages.shown.size(), 1u) << icon;
        EXPECT_TRUE(messages.shown[0].text.startsWith(errorText("Error8"))) << icon;
    }
}

TEST_F(DesktopTest, AboutBoxShowsVersionsAndOpensTheWebsite)
{
    home.write("variables.conf", "[Variablen]\nURL=http://127.0.0.1/netzpegel/\n");
    TMainform form(services, {});
    form.show();
    form.Info1->trigger();
    auto* box = form.findChild<TAboutBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), "Über Netzpegel");
    EXPECT_EQ(box->ProductName->text(), "Productname: Netzpegel");
    EXPECT_EQ(box->Version->text(), "Version: " NETZPEGEL_VERSION_TEXT);
    EXPECT_TRUE(box->Copyright->text().startsWith("Copyright"));
    EXPECT_EQ(box->DBVersion->text(), "DB-Version: 2.2");
    emit box->Label1->linkActivated(QStringLiteral("#"));
    box->ProgramIconClick();
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(opener.opened[0], QUrl("http://127.0.0.1/netzpegel/"));
    EXPECT_EQ(opener.opened[1], QUrl("http://127.0.0.1/netzpegel/"));

    settle();
    const QImage shot = box->grab().toImage();
    EXPECT_TRUE(shot.save(QCoreApplication::applicationDirPath() + "/aboutbox.png"));
    form.Tray->icon().pixmap(64).save(QCoreApplication::applicationDirPath() + "/trayicon.png");
    box->OKButton->click();
    settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.findChild<TAboutBox*>(), nullptr) << "closed and gone";
}

} // namespace
