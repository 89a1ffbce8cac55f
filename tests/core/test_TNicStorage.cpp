#include "acquisition/TNic.h"
#include "base/ExceptionLog.h"
#include "fakes/FakeClock.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/DayNumber.h"
#include "engine/Provisioning.h"
#include "storage/TrafficStatements.h"
#include "support/TempHome.h"

#include <QStringList>

#include "support/StoredDays.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class TNicStorageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}});
        nic.Index = QStringLiteral("0000000b");
        nic.setDatabase(&db);
        nic.setClock(&clock);
        IfRow row;
        row.type = 6;
        row.speed = 100000000;
        provisionEntry(db, nic, &row);
    }
    void TearDown() override { clearLogVersionTexts(); }

    QList<DayValues> days(Database& from, const QString& index = QStringLiteral("0000000b"))
    {
        return storedDays(from, index);
    }
    QList<DayValues> days() { return days(db); }

    int logEntries() const
    {
        return QString::fromUtf8(home.read(QStringLiteral("error.txt"))).count(QStringLiteral("Fehlermeldung:"));
    }
    QString logText() const { return QString::fromUtf8(home.read(QStringLiteral("error.txt"))); }

    void setTotals(long double received, long double send)
    {
        nic.set_gesamt_received(received);
        nic.set_gesamt_send(send);
    }

    TempHome home;
    FakeClock clock{QDateTime(QDate(2026, 12, 8), QTime(23, 59, 30))};
    Database db{Database::programDatabasePath()};
    SampleContext context;
    TNic nic{&context};
};

TEST_F(TNicStorageTest, SecondBookingOfADayAddsToItsOneRow)
{
    const QDate day(2026, 11, 30);
    // Sums near 2^53 stay exact: nothing goes through a 15-digit text.
    setTotals(4503599627370497.0L, 1000);
    ASSERT_TRUE(nic.save_traffic(dayNumberOf(day)));
    setTotals(4503599627370493.0L, 234);
    ASSERT_TRUE(nic.save_traffic(dayNumberOf(day) + 0.75));
    EXPECT_EQ(days(), (QList<DayValues>{{day, 9007199254740990.0, 1234}}));
    EXPECT_EQ(nic.get_gesamt_received(), 4503599627370493.0L) << "booking leaves the totals alone";
    EXPECT_EQ(nic.get_gesamt_send(), 234);
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(TNicStorageTest, ZeroBooksUnderTodayOfTheClock)
{
    setTotals(10, 20);
    ASSERT_TRUE(nic.save_traffic(0));
    clock.advanceSeconds(60); // just past midnight
    setTotals(1, 2);
    ASSERT_TRUE(nic.save_traffic(0));
    EXPECT_EQ(days(), (QList<DayValues>{{QDate(2026, 12, 8), 10, 20}, {QDate(2026, 12, 9), 1, 2}}));
}

TEST_F(TNicStorageTest, FailedBookingIsLoggedAndReportedAsFalse)
{
    setTotals(5, 6);
    ASSERT_TRUE(nic.save_traffic(0));

    TNic broken(&context);
    broken.Index = QStringLiteral("0000abcd");
    db.exec(QStringLiteral("CREATE TABLE \"0000abcd\" (no_day_column)")); // takes no booking
    broken.setDatabase(&db);
    broken.set_gesamt_received(1);
    EXPECT_FALSE(broken.save_traffic(0));
    EXPECT_TRUE(logText().contains(
        QStringLiteral("Fehlermeldung:Exception in Funktion 'TNic::save_traffic()' (Index 0000abcd) in Datei TNic| Genaue Meldung: no such column: Datum")))
        << logText().toStdString();

    EXPECT_FALSE(nic.save_traffic(std::nan(""))) << "no date";
    TNic unconnected(&context);
    unconnected.Index = QStringLiteral("dfu");
    EXPECT_FALSE(unconnected.save_traffic(0));
    EXPECT_EQ(logEntries(), 3);
    EXPECT_EQ(days(), (QList<DayValues>{{QDate(2026, 12, 8), 5, 6}}));
}

TEST_F(TNicStorageTest, BookingIntoATableDeletedByHandMakesItAgain)
{
    setTotals(5, 6);
    ASSERT_TRUE(nic.save_traffic(0));
    TrafficStatements::dropTable(db, nic.Index); // the database tab deleted it
    setTotals(7, 8);
    EXPECT_TRUE(nic.save_traffic(0));
    EXPECT_TRUE(nic.save_traffic(0)) << "and the next one adds to it";
    EXPECT_EQ(days(), (QList<DayValues>{{QDate(2026, 12, 8), 14, 16}}));
    EXPECT_TRUE(nic.load_settings()) << "the settings table was not touched";
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(TNicStorageTest, LockedOrReadOnlyDatabaseLosesNothing)
{
    const QDate day(2026, 12, 1);
    setTotals(100, 200);
    ASSERT_TRUE(nic.save_traffic(dayNumberOf(day)));
    const QList<DayValues> before = days();
    setTotals(7, 8);

    // Another connection holds the write lock for longer than we wait.
    Database holder(db.filePath());
    holder.exec(QStringLiteral("BEGIN IMMEDIATE"));
    holder.exec(QStringLiteral("UPDATE db SET dbversion = 'x'"));
    db.setBusyTimeout(50);
    EXPECT_FALSE(nic.save_traffic(dayNumberOf(day)));
    EXPECT_FALSE(nic.save_traffic(dayNumberOf(day.addDays(1)))) << "new day row";
    EXPECT_EQ(logEntries(), 2);
    EXPECT_TRUE(logText().contains(QStringLiteral("database is locked")));
    holder.exec(QStringLiteral("ROLLBACK"));

    // A connection that may only read (a write-protected file; root ignores chmod).
    Database::Options readOnly;
    readOnly.readOnly = true;
    Database reader(db.filePath(), readOnly);
    nic.setDatabase(&reader);
    EXPECT_FALSE(nic.save_traffic(dayNumberOf(day)));
    EXPECT_FALSE(nic.save_settings());
    EXPECT_TRUE(nic.load_settings());
    EXPECT_EQ(logEntries(), 3);

    EXPECT_EQ(days(), before);
    EXPECT_EQ(nic.get_gesamt_received(), 7);
    EXPECT_EQ(nic.get_gesamt_send(), 8);

    nic.setDatabase(&db);
    EXPECT_TRUE(nic.save_traffic(dayNumberOf(day))) << "works again once the lock is gone";
    EXPECT_EQ(days(), (QList<DayValues>{{day, 107, 208}}));
}

TEST_F(TNicStorageTest, SettingsRoundTripThroughTheSettingsRow)
{
    nic.anzeigen_live = false;
    nic.anzeigen_graph = true;
    nic.maxspeed = 2147483647;
    nic.links = -120;
    nic.oben = 33;
    nic.hoehe = 240;
    nic.breite = 320;
    nic.ontop = true;
    nic.tranz = true;
    nic.tranz_wert = 200;
    nic.bericht = false;
    nic.forecolor = 0x00123456;
    nic.backcolor = 0x00ffffff;
    nic.sendgraph = 1;
    nic.recvgraph = 0;
    ASSERT_TRUE(nic.save_settings());

    TNic fresh(&context);
    fresh.Index = nic.Index;
    fresh.setDatabase(&db);
    ASSERT_TRUE(fresh.load_settings());
    EXPECT_EQ(fresh.anzeigen_live, false);
    EXPECT_EQ(fresh.anzeigen_graph, true);
    EXPECT_EQ(fresh.maxspeed, 2147483647);
    EXPECT_EQ(fresh.links, -120);
    EXPECT_EQ(fresh.oben, 33);
    EXPECT_EQ(fresh.hoehe, 240);
    EXPECT_EQ(fresh.breite, 320);
    EXPECT_EQ(fresh.ontop, true);
    EXPECT_EQ(fresh.tranz, true);
    EXPECT_EQ(fresh.tranz_wert, 200);
    EXPECT_EQ(fresh.bericht, false);
    EXPECT_EQ(fresh.forecolor, 0x00123456u);
    EXPECT_EQ(fresh.backcolor, 0x00ffffffu);
    EXPECT_EQ(fresh.sendgraph, 1u);
    EXPECT_EQ(fresh.recvgraph, 0u);
    EXPECT_EQ(db.query(QStringLiteral("SELECT * FROM \"0000000b_einstellungen\"")).size(), 1);
}

TEST_F(TNicStorageTest, AnzeigenTextSetsTheTwoFlagsOrLeavesThem)
{
    struct Case { QString text; bool live; bool graph; };
    const Case cases[] = {
        {QStringLiteral("10"), true, false},
        {QStringLiteral("01"), false, true},
        {QStringLiteral("00"), false, false},
        {QStringLiteral("11"), true, true},
        // not one of the four: both flags keep their earlier values (live on, graph off)
        {QString(), true, false},
        {QStringLiteral("1"), true, false},
        {QStringLiteral("111"), true, false},
        {QStringLiteral("21"), true, false},
        {QStringLiteral("1 "), true, false},
    };
    for (const Case& c : cases) {
        db.exec(QStringLiteral("UPDATE \"0000000b_einstellungen\" SET anzeigen = ?, links = 42"), {c.text});
        TNic fresh(&context);
        fresh.Index = nic.Index;
        fresh.setDatabase(&db);
        fresh.anzeigen_live = true;
        fresh.anzeigen_graph = false;
        EXPECT_TRUE(fresh.load_settings());
        EXPECT_EQ(fresh.anzeigen_live, c.live) << c.text.toStdString();
        EXPECT_EQ(fresh.anzeigen_graph, c.graph) << c.text.toStdString();
        EXPECT_EQ(fresh.links, 42) << "the other columns are read all the same";
    }
}

TEST_F(TNicStorageTest, UnreadableSettingsFailSilentlyAndKeepWhatWasRead)
{
    db.exec(QStringLiteral("UPDATE \"0000000b_einstellungen\" SET anzeigen = '01', maxspeed = 3e9, links = 7, oben = 'oben'"));
    TNic fresh(&context);
    fresh.Index = nic.Index;
    fresh.setDatabase(&db);
    fresh.oben = 5;
    EXPECT_FALSE(fresh.load_settings());
    EXPECT_TRUE(fresh.anzeigen_graph);
    EXPECT_EQ(fresh.maxspeed, 2147483647) << "too large for 32 bits: saturated";
    EXPECT_EQ(fresh.links, 7);
    EXPECT_EQ(fresh.oben, 5);
    EXPECT_EQ(logEntries(), 0) << "no message, no log";

    TNic noTable(&context);
    noTable.Index = QStringLiteral("dfu");
    noTable.setDatabase(&db);
    EXPECT_FALSE(noTable.load_settings());
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(TNicStorageTest, SettingsTableDeletedByHandIsMadeAgainBySavingAndKeepsTheDays)
{
    nic.set_gesamt_received(100);
    ASSERT_TRUE(nic.save_traffic(0));
    TrafficStatements::dropTable(db, QStringLiteral("0000000b_einstellungen"));
    EXPECT_FALSE(TrafficStatements::probeSettingsTable(db, nic.Index));
    nic.links = 42;
    nic.anzeigen_live = false;
    ASSERT_TRUE(nic.save_settings());
    EXPECT_TRUE(TrafficStatements::probeSettingsTable(db, nic.Index));
    TNic fresh(&context);
    fresh.Index = nic.Index;
    fresh.setDatabase(&db);
    ASSERT_TRUE(fresh.load_settings());
    EXPECT_EQ(fresh.links, 42);
    EXPECT_FALSE(fresh.anzeigen_live);
    EXPECT_EQ(days().size(), 1) << "the traffic table is not touched";
}

TEST_F(TNicStorageTest, SettingsTableThatLostItsRowGetsItBack)
{
    db.exec(QStringLiteral("DELETE FROM \"0000000b_einstellungen\""));
    nic.links = 99;
    ASSERT_TRUE(nic.save_settings());
    const auto rows = db.query(QStringLiteral("SELECT * FROM \"0000000b_einstellungen\""));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toInt64(QStringLiteral("links")), 99);
}

TEST_F(TNicStorageTest, ReaderOnAnotherThreadNeverSeesATornRow)
{
    constexpr int kBookings = 150;
    const QDate day(2026, 12, 2);
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    QString readerFailure;
    const QString path = db.filePath();

    std::thread reader([&] {
        Database own(path); // one connection per thread
        try {
            while (!stop.load()) {
                const auto rows = TrafficStatements::allDays(own, QStringLiteral("0000000b"));
                if (rows.size() > 1)
                    throw DatabaseError(QStringLiteral("second row for one day"));
                for (const DbRow& row : rows) {
                    if (row.toDouble(QStringLiteral("send")) != 2 * row.toDouble(QStringLiteral("received")))
                        throw DatabaseError(QStringLiteral("torn row"));
                }
                TrafficStatements::readSettings(own, QStringLiteral("0000000b"));
                ++reads;
            }
        } catch (const std::exception& e) {
            readerFailure = QString::fromUtf8(e.what());
        }
    });

    int failures = 0;
    setTotals(3, 6);
    for (int i = 0; i < kBookings; ++i) {
        if (!nic.save_traffic(dayNumberOf(day)))
            ++failures;
        nic.links = i;
        if (!nic.save_settings())
            ++failures;
    }
    // Let the reader finish at least a few rounds, whatever the machine's speed.
    while (reads.load() < 3 && readerFailure.isEmpty())
        std::this_thread::yield();
    stop = true;
    reader.join();

    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(readerFailure.isEmpty()) << readerFailure.toStdString();
    EXPECT_EQ(days(), (QList<DayValues>{{day, 3.0 * kBookings, 6.0 * kBookings}}));
    EXPECT_EQ(logEntries(), 0);
}

} // namespace
