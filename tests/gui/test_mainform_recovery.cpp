// The main window around midnight, crashes and failures: nothing booked twice,
// nothing lost, no crash when the window closes while a message is open.
#include "acquisition/TNic.h"
#include "app/TMainform.h"
#include "storage/Database.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/StoredDays.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `onShow` for every message, like a user action inside a modal box's event loop.
class ReentrantSink : public MessageSink
{
public:
    void show(Icon, const QString& text) override
    {
        shown << text;
        if (onShow)
            onShow();
    }
    bool ask(const QString&) override { return false; }
    QStringList shown;
    std::function<void()> onShow;
};

class MainformRecoveryTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(23, 58)));
        IfRow eth = FakeInterfaceTable::row(2, "eth0", 0, 0, 6);
        eth.speed = 100'000'000;
        table.setRows({eth});
    }

    DayTraffic day(const QDate& d)
    {
        const auto rows = trafficRows(home.file("Datenbank.mdb"), QStringLiteral("00000002"));
        const auto it = rows.find(d.toString(Qt::ISODate));
        return it == rows.end() ? DayTraffic{} : it->second;
    }

    // Two ticks with traffic in between, so the bytes are counted (not a first sample).
    void count(TMainform& form, uint64_t in, uint64_t out)
    {
        form.NicEngineTimer();
        table.addOctets(2, in, out);
        form.NicEngineTimer();
    }
};

TEST_F(MainformRecoveryTest, ACrashAfterMidnightDoesNotBookThePastDayTwice)
{
    {
        TMainform form(services, {});
        count(form, 5000, 7000);
        form.CacheToHDDTimerTimer(); // the cache at 23:58 holds the day's totals
        clock.advanceSeconds(3 * 60);
        form.DatumsprueftimerTimer();
        table.addOctets(2, 11, 22);
        form.NicEngineTimer();
        // killed here: no close, nothing else written
    }
    TMainform again(services, {});
    again.NicEngineTimer();
    again.close();
    const DayTraffic past = day(QDate(2026, 12, 8));
    EXPECT_EQ(past.rows, 1);
    EXPECT_EQ(past.received, 5000);
    EXPECT_EQ(past.send, 7000);
    const DayTraffic today = day(QDate(2026, 12, 9));
    EXPECT_EQ(today.received, 11) << "the traffic after the rollover, counted once";
    EXPECT_EQ(today.send, 22);
}

TEST_F(MainformRecoveryTest, ClosingJustAfterMidnightBooksThePastDayUnderItsDate)
{
    TMainform form(services, {});
    count(form, 4000, 3000);
    clock.advanceSeconds(2 * 60); // 00:00, the minute's check has not run yet
    form.close();
    EXPECT_EQ(day(QDate(2026, 12, 8)).received, 4000);
    EXPECT_EQ(day(QDate(2026, 12, 9)).received, 0);
}

TEST_F(MainformRecoveryTest, TheCacheTimerNeverWritesAPastDayUnderTheNewDate)
{
    TMainform form(services, {});
    count(form, 4000, 3000);
    clock.advanceSeconds(2 * 60);
    form.CacheToHDDTimerTimer();
    EXPECT_EQ(day(QDate(2026, 12, 8)).received, 4000) << "booked first";
    // The new day, adapter and dial-up entry at zero.
    EXPECT_EQ(home.read("netzpegel.cache"), QByteArray("46365\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"));
}

TEST_F(MainformRecoveryTest, ClosingWhileARolloverMessageIsOpenDoesNotCrashOrLoseTheDay)
{
    ReentrantSink sink;
    services.messages = &sink;
    TMainform form(services, {});
    count(form, 9000, 1000);
    {
        Database db(home.file("Datenbank.mdb"));
        setTrafficTableAside(db, QStringLiteral("00000002")); // the booking will fail
    }
    bool closed = false;
    sink.onShow = [&] {
        if (closed)
            return;
        closed = true;
        Database db(home.file("Datenbank.mdb"));
        restoreTrafficTable(db, QStringLiteral("00000002"));
        form.close(); // the session ends while the box is open
    };
    clock.advanceSeconds(3 * 60);
    form.DatumsprueftimerTimer();
    EXPECT_TRUE(form.entries().empty());
    EXPECT_EQ(day(QDate(2026, 12, 8)).received, 9000) << "the owed day is booked at close";
}

TEST_F(MainformRecoveryTest, AnUnreadableVariablesFileLeavesTheCacheOffAndStarts)
{
    QDir(home.folder()).mkdir(QStringLiteral("variables.conf"));
    TMainform form(services, {});
    EXPECT_TRUE(form.started());
    EXPECT_TRUE(form.CacheDateiname.isEmpty());
}

TEST_F(MainformRecoveryTest, AFailedStartLeavesTheSettingsFileAlone)
{
    home.write("netzpegel.ini", "[Fenster]\nVisible=1\n[Allgemein]\nLastupdate=46000\n");
    home.write("Datenbank.mdb", "not a database");
    {
        TMainform form(services, {});
        EXPECT_FALSE(form.started());
    }
    EXPECT_EQ(home.read("netzpegel.ini"), "[Fenster]\nVisible=1\n[Allgemein]\nLastupdate=46000\n");
}

TEST_F(MainformRecoveryTest, EveryCacheThatDoesNotFitKeepsABackupOfItsOwn)
{
    const QByteArray first("46364\r\n0\r\n1\r\n2\r\n1\r\n3\r\n4\r\n2\r\n5\r\n6\r\n");
    const QByteArray second("46364\r\n0\r\n7\r\n8\r\n1\r\n9\r\n10\r\n2\r\n11\r\n12\r\n");
    for (const QByteArray& cache : {first, second}) {
        home.write("netzpegel.cache", cache);
        TMainform form(services, {});
    }
    const QStringList backups = QDir(home.folder()).entryList({QStringLiteral("backup_*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(backups.size(), 2) << backups.join(' ').toStdString();
    EXPECT_EQ(home.read(backups[0]), first);
    EXPECT_EQ(home.read(backups[1]), second);
}

} // namespace

namespace {

TEST_F(MainformRecoveryTest, ADayWhoseBookingFailedSurvivesACrashAndIsBookedOnce)
{
    {
        TMainform form(services, {});
        count(form, 6000, 2000);
        {
            Database db(home.file("Datenbank.mdb"));
            setTrafficTableAside(db, QStringLiteral("00000002"));
        }
        clock.advanceSeconds(3 * 60);
        form.DatumsprueftimerTimer(); // fails: the amounts are owed
        EXPECT_TRUE(QFile::exists(home.file("netzpegel.cache.pending")));
        // killed here
    }
    {
        Database db(home.file("Datenbank.mdb"));
        restoreTrafficTable(db, QStringLiteral("00000002"));
    }
    TMainform again(services, {});
    again.DatumsprueftimerTimer(); // the minute's check books what is owed
    EXPECT_FALSE(QFile::exists(home.file("netzpegel.cache.pending")));
    again.close();
    const DayTraffic past = day(QDate(2026, 12, 8));
    EXPECT_EQ(past.rows, 1);
    EXPECT_EQ(past.received, 6000);
    EXPECT_EQ(past.send, 2000);
    EXPECT_EQ(day(QDate(2026, 12, 9)).received, 0);
}

} // namespace

namespace {

TEST_F(MainformRecoveryTest, AGarbledPendingFileIsIgnoredLineByLine)
{
    home.write("netzpegel.cache.pending", QByteArray("00000002\t2026-12-07\t100\t200\n"
                                                     "00000002\tyesterday\t1\t2\n"
                                                     "unknown\t2026-12-07\t5\t5\n"
                                                     "00000002\t2026-12-06\t-5\tnan\n"
                                                     "00000002\t2026-12-05\tinf\t1\n"
                                                     "\x01\x02 garbage\n"));
    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    form.DatumsprueftimerTimer();
    const auto rows = trafficRows(home.file("Datenbank.mdb"), QStringLiteral("00000002"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.begin()->first, "2026-12-07");
    EXPECT_EQ(rows.begin()->second.received, 100);
    EXPECT_EQ(rows.begin()->second.send, 200);
}

} // namespace

namespace {

TEST_F(MainformRecoveryTest, AnOwedDayAndAStaleCacheOfThatDayAreBookedOnce)
{
    // A kill after the owed amount was saved but before the cache was rewritten.
    home.write("netzpegel.cache.pending", "00000002\t2026-12-07\t6000\t2000\n");
    home.write("netzpegel.cache", "46363\r\n0\r\n1500\r\n5000\r\n1\r\n0\r\n0\r\n");
    TMainform form(services, {});
    form.DatumsprueftimerTimer();
    const DayTraffic owed = day(QDate(2026, 12, 7));
    EXPECT_EQ(owed.rows, 1);
    EXPECT_EQ(owed.received, 6000) << "the later, larger amount, once";
    EXPECT_EQ(owed.send, 2000);
}

TEST_F(MainformRecoveryTest, OwedAmountsOfAnAdapterAbsentThisTimeAreKept)
{
    const QByteArray foreign("0000000a\t2026-12-07\t123\t456");
    home.write("netzpegel.cache.pending", foreign + "\n00000002\t2026-12-07\t1\t2\n");
    {
        TMainform form(services, {});
        form.DatumsprueftimerTimer(); // books eth0's amount
        form.close();
    }
    EXPECT_EQ(day(QDate(2026, 12, 7)).received, 1);
    EXPECT_EQ(home.read("netzpegel.cache.pending"), foreign + "\n");
}

} // namespace
