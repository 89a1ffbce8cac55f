// The main window on a real database file: provisioning, the apply button,
// language switching, booking at close and at the day change, the dial-up entry.
#include "acquisition/TNic.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/TMainform.h"
#include "config/TSprache.h"
#include "graph/ui/TGraphenform.h"
#include "storage/Database.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Counters start at 0, so the first counted sample is never cut by the first-sample limit.
constexpr uint64_t kUp = 0;

class MainformStorageTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(23, 58)));
        IfRow lo = FakeInterfaceTable::row(1, "lo", kUp, kUp, 24);
        IfRow eth = FakeInterfaceTable::row(2, "eth0", kUp, kUp, 6);
        eth.speed = 100'000'000;
        table.setRows({lo, eth});
    }

    // Received and sent of one day's row, or -1 when there is none.
    std::pair<double, double> dayRow(const QString& index, const QDate& day)
    {
        Database db(home.file("Datenbank.mdb"));
        const QList<DbRow> rows = db.query(
            QStringLiteral("SELECT received, send FROM %1 WHERE Datum = ?").arg(Database::quoteIdentifier(index)),
            {day.toString(Qt::ISODate)});
        if (rows.isEmpty())
            return {-1, -1};
        return {rows[0].value("received").toDouble(), rows[0].value("send").toDouble()};
    }
};

TEST_F(MainformStorageTest, FirstStartProvisionsEveryEntryFromItsInterfaceRow)
{
    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    ASSERT_EQ(form.entries().size(), 3u);
    EXPECT_FALSE(form.entries()[0]->anzeigen_live) << "loopback starts hidden";
    EXPECT_TRUE(form.entries()[1]->anzeigen_graph);
    EXPECT_EQ(form.entries()[1]->maxspeed, 12500000);
    EXPECT_EQ(form.entries()[2]->maxspeed, 0);
    Database db(home.file("Datenbank.mdb"));
    const QStringList tables = db.userTables();
    for (const char* t : {"00000001", "00000001_einstellungen", "00000002", "00000002_einstellungen", "dfu",
                          "dfu_einstellungen"})
        EXPECT_TRUE(tables.contains(QString::fromLatin1(t))) << t;
    EXPECT_EQ(form.graphWindows().size(), 3u);
    EXPECT_TRUE(form.graphWindows()[1]->isVisible());
    EXPECT_FALSE(form.graphWindows()[0]->isVisible());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainformStorageTest, ApplyButtonStoresTheSettingsAndRefusesABadSpeed)
{
    {
        TMainform form(services, {});
        form.PageControl1->setCurrentIndex(1);
        EinstellungenTab* t = form.TabSheet2;
        t->Einstellungen_Nic_ComboBox->setCurrentIndex(1);
        form.Einstellungen_Nic_ComboBoxSelect(1);
        t->MaxSpeed_Edit->setText(QString());
        form.Button1Click();
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown.back().icon, MessageSink::Icon::Error);
        EXPECT_EQ(form.entries()[1]->maxspeed, 12500000) << "an empty speed changes nothing";

        t->MaxSpeed_Edit->setText(QStringLiteral("125000"));
        t->Einstellungen_anzeigen_CheckBox->setChecked(false);
        t->Einstellungen_Bericht_CheckBox->setChecked(false);
        form.Button1Click();
        EXPECT_EQ(messages.shown.back().icon, MessageSink::Icon::Information);
    }
    TMainform again(services, {});
    EXPECT_EQ(again.entries()[1]->maxspeed, 125000);
    EXPECT_FALSE(again.entries()[1]->anzeigen_live);
    EXPECT_TRUE(again.entries()[1]->anzeigen_graph);
    EXPECT_FALSE(again.entries()[1]->bericht);
}

TEST_F(MainformStorageTest, CloseBooksTheDayAndSavesTheGraphWindow)
{
    QRect placed; // the window's inner area, which is what is stored
    {
        TMainform form(services, {});
        form.NicEngineTimer();
        table.addOctets(2, 70000, 3000);
        form.NicEngineTimer();
        form.graphWindows()[1]->move(40, 50);
        placed = form.graphWindows()[1]->geometry();
        ASSERT_NE(placed.topLeft(), QPoint(0, 0)) << "moved away from the default place";
        form.close();
    }
    EXPECT_EQ(dayRow("00000002", QDate(2026, 12, 8)), std::make_pair(70000.0, 3000.0));
    EXPECT_FALSE(QFile::exists(home.file("netzpegel.cache"))) << "everything is booked";
    {
        Database db(home.file("Datenbank.mdb"));
        const QList<DbRow> settings = db.query(QStringLiteral("SELECT links, oben FROM \"00000002_einstellungen\""));
        ASSERT_EQ(settings.size(), 1);
        EXPECT_EQ(settings[0].toInt64("links"), placed.x()) << "the graph window's place is stored";
        EXPECT_EQ(settings[0].toInt64("oben"), placed.y());
    }
    TMainform again(services, {});
    EXPECT_EQ(again.entries()[1]->get_gesamt_received(), 0);
    EXPECT_EQ(again.graphWindows()[1]->geometry().topLeft(), placed.topLeft()) << "and it comes back there";
}

TEST_F(MainformStorageTest, MidnightBooksThePastDayAndStartsAtZero)
{
    TMainform form(services, {});
    form.NicEngineTimer();
    table.addOctets(2, 5000, 7000);
    form.NicEngineTimer();
    form.DatumsprueftimerTimer();
    EXPECT_EQ(dayRow("00000002", QDate(2026, 12, 8)).first, -1) << "same day: nothing booked yet";

    clock.advanceSeconds(3 * 60);
    table.addOctets(2, 100, 0); // sampled after midnight, before the check: still the past day
    form.NicEngineTimer();
    form.DatumsprueftimerTimer();
    EXPECT_EQ(dayRow("00000002", QDate(2026, 12, 8)), std::make_pair(5100.0, 7000.0));
    EXPECT_EQ(form.entries()[1]->get_gesamt_received(), 0);
    EXPECT_EQ(form.Tagesdatum, QDate(2026, 12, 9));

    table.addOctets(2, 42, 0);
    form.NicEngineTimer();
    EXPECT_EQ(form.entries()[1]->get_gesamt_received(), 42) << "the raw values carry on";
}

TEST_F(MainformStorageTest, CacheTimerWritesTheTotalsAndASameDayStartRestoresThem)
{
    {
        TMainform form(services, {});
        form.NicEngineTimer();
        table.addOctets(2, 2500, 1000);
        form.NicEngineTimer();
        form.CacheToHDDTimerTimer();
        EXPECT_EQ(home.read("netzpegel.cache"), QByteArray("46364\r\n0\r\n0\r\n0\r\n1\r\n1000\r\n2500\r\n2\r\n0\r\n0\r\n"));
        // Keep the files as a crash would leave them: the close below books and removes them.
        QFile::copy(home.file("netzpegel.cache"), home.file("crash.cache"));
        QFile::copy(home.file("netzpegel.cache.counters"), home.file("crash.counters"));
    }
    QFile::remove(home.file("netzpegel.cache"));
    QFile::remove(home.file("netzpegel.cache.counters"));
    QFile::copy(home.file("crash.cache"), home.file("netzpegel.cache"));
    QFile::copy(home.file("crash.counters"), home.file("netzpegel.cache.counters"));
    table.addOctets(2, 10, 20); // traffic while the program was not running

    TMainform again(services, {});
    EXPECT_EQ(again.entries()[1]->get_gesamt_received(), 2500);
    EXPECT_EQ(again.entries()[1]->get_gesamt_send(), 1000);
    again.NicEngineTimer();
    EXPECT_EQ(again.entries()[1]->get_gesamt_received(), 2510) << "counted from where the counters file left off";
    EXPECT_EQ(again.entries()[1]->get_gesamt_send(), 1020);
}

TEST_F(MainformStorageTest, CacheIntervalEditDrivesTheCacheTimer)
{
    TMainform form(services, {});
    EXPECT_TRUE(form.CacheToHDDTimer->isActive()) << "the first settings file asks for 5 minutes";
    EXPECT_EQ(form.CacheToHDDTimer->interval(), 300000);
    for (const char* off : {"", "0", "00"}) {
        form.CacheIntervalEditChange(QString::fromLatin1(off));
        EXPECT_FALSE(form.CacheToHDDTimer->isActive()) << off;
    }
    form.CacheIntervalEditChange(QStringLiteral("10"));
    EXPECT_EQ(form.CacheToHDDTimer->interval(), 600000);
    messages.shown.clear();
    form.CacheIntervalEditChange(QStringLiteral("99999999999"));
    EXPECT_EQ(messages.shown.size(), 1u) << "too large: a message, no crash";
    EXPECT_EQ(form.CacheToHDDTimer->interval(), 600000);
}

TEST_F(MainformStorageTest, DialupEntryIsCountedAndLabelled)
{
    TMainform form(services, {});
    form.show();
    form.DfuEngineTimer();
    const QString noConnection = form.TabSheet1->dfulabel->text();
    EXPECT_FALSE(noConnection.isEmpty());

    dialup.status.state = DialupStatus::State::Connected;
    dialup.status.entryName = QStringLiteral("ppp0");
    dialup.status.bps = 56000;
    dialup.status.bytesReceived = 20000;
    dialup.status.bytesSent = 100;
    form.TabSheet2->Bewareoftrafficdouble->setChecked(false);
    form.DfuEngineTimer();
    const TNic& dfu = *form.entries().back();
    EXPECT_EQ(dfu.get_gesamt_received(), 20000);
    EXPECT_TRUE(form.TabSheet1->dfulabel->text().endsWith(QStringLiteral("ppp0@56000")));
    QTableWidget* grid = form.TabSheet1->StringGrid1;
    ASSERT_GT(grid->rowCount(), 0);
    EXPECT_EQ(grid->item(grid->rowCount() - 1, 5)->text(), "dfu") << "the dial-up row is the last";
}

TEST_F(MainformStorageTest, LanguageSwitchReplacesEveryTextAndKeepsTheUpdateMode)
{
    TMainform form(services, {});
    form.TabSheet2->Update_ComboBox->setCurrentIndex(2);
    const QString germanTab = form.PageControl1->tabText(1);
    services.chooseFile = [&](const QString&, const QString&) { return QStringLiteral("/elsewhere/english.lan"); };
    services.chooseFolder = [&](const QString&) { return home.file("Hilfe"); };
    messages.answer = true;
    TMainform english(services, {});
    english.TabSheet2->Update_ComboBox->setCurrentIndex(2);
    english.Button4Click();
    EXPECT_NE(english.PageControl1->tabText(1), germanTab);
    EXPECT_EQ(english.PageControl1->tabText(1), "Settings");
    EXPECT_EQ(english.TabSheet2->Update_ComboBox->currentIndex(), 2);
    EXPECT_EQ(english.entries().back()->Name, "Dial-up connection");
    EXPECT_EQ(messages.asked.size(), 1);
}

TEST_F(MainformStorageTest, ADatabaseThatIsNotSqliteStopsTheStartAndStaysUntouched)
{
    const QByteArray garbage("this is not a database, but someone's file\n");
    home.write("Datenbank.mdb", garbage);
    TMainform form(services, {});
    EXPECT_FALSE(form.started());
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("Datenbank.mdb")));
    EXPECT_EQ(home.read("Datenbank.mdb"), garbage);
}

TEST_F(MainformStorageTest, AnUpgradedDatabaseIsReported)
{
    {
        TMainform first(services, {});
    }
    {
        Database db(home.file("Datenbank.mdb"));
        db.exec(QStringLiteral("UPDATE db SET dbversion = '2'"));
    }
    messages.shown.clear();
    TMainform form(services, {});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Information);
    TSprache sprache;
    sprache.Laden(QStringLiteral("deutsch.lan"));
    EXPECT_FALSE(sprache.error(QStringLiteral("Error33")).isEmpty());
    EXPECT_EQ(messages.shown[0].text, sprache.error(QStringLiteral("Error33")));
}

} // namespace

namespace {

TEST_F(MainformStorageTest, GraphWindowStateSurvivesAShutdownAndTheNextStart)
{
    QPoint placed; // the inner area's corner, which is what is stored
    {
        TMainform form(services, {});
        TGraphenform* w = form.graphWindows()[1];
        w->resize(300, 240);
        w->move(120, 80);
        placed = w->geometry().topLeft();
        w->setTranslucent(true);
        w->setOpacityValue(180);
        w->setOnTop(true);
        w->graph().SetForeColor(0x00112233);
        w->graph().SetBackColor(0x00445566);
        form.graphWindows()[0]->show(); // loopback's window, hidden so far
        form.close();
    }
    TMainform again(services, {});
    const TNic& eth = *again.entries()[1];
    EXPECT_EQ(eth.links, placed.x());
    EXPECT_EQ(eth.oben, placed.y());
    EXPECT_EQ(eth.breite, 300);
    EXPECT_EQ(eth.hoehe, 240);
    EXPECT_TRUE(eth.tranz);
    EXPECT_EQ(eth.tranz_wert, 180);
    EXPECT_TRUE(eth.ontop);
    EXPECT_EQ(eth.forecolor, 0x00112233u);
    EXPECT_EQ(eth.backcolor, 0x00445566u);
    TGraphenform* w = again.graphWindows()[1];
    EXPECT_EQ(w->geometry().topLeft(), placed);
    EXPECT_EQ(w->size(), QSize(300, 240));
    EXPECT_EQ(w->opacityValue(), 180);
    EXPECT_TRUE(w->onTop());
    EXPECT_EQ(w->graph().BackColor(), 0x00445566u);
    EXPECT_TRUE(again.entries()[0]->anzeigen_graph) << "shown at close, shown again";
    EXPECT_TRUE(again.graphWindows()[0]->isVisible());
}

} // namespace

namespace {

TEST_F(MainformStorageTest, SettingsThatCannotBeSavedAtCloseAreReportedAndTheDayIsBookedAllTheSame)
{
    TMainform form(services, {});
    form.NicEngineTimer();
    table.addOctets(2, 9000, 1000);
    form.NicEngineTimer();
    {
        // The settings table refuses every write (one that is missing is made again).
        Database db(home.file("Datenbank.mdb"));
        for (const char* when : {"UPDATE", "INSERT"})
            db.exec(QStringLiteral("CREATE TRIGGER \"refuse %1\" BEFORE %1 ON \"00000002_einstellungen\" "
                                   "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                        .arg(QLatin1String(when)));
    }
    // The settings file cannot be written any more.
    QFile::remove(home.file("netzpegel.ini"));
    ASSERT_TRUE(QDir(home.folder()).mkdir(QStringLiteral("netzpegel.ini")));
    messages.shown.clear();
    form.close();

    TSprache sprache;
    sprache.Laden(QStringLiteral("deutsch.lan"));
    std::vector<RecordingMessageSink::Entry> expected = {
        {MessageSink::Icon::Error, sprache.error(QStringLiteral("Error11")) + QStringLiteral("00000002(eth0) ")
                                       + sprache.error(QStringLiteral("Error10a"))},
        {MessageSink::Icon::Error, sprache.error(QStringLiteral("Error12"))},
    };
    ASSERT_EQ(messages.shown.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(messages.shown[i].icon, expected[i].icon);
        EXPECT_EQ(messages.shown[i].text, expected[i].text);
    }
    EXPECT_EQ(dayRow("00000002", QDate(2026, 12, 8)), std::make_pair(9000.0, 1000.0));
}

} // namespace
