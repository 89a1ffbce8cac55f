#include "engine/DayRollover.h"
#include "acquisition/TNic.h"
#include "base/ExceptionLog.h"
#include "fakes/FakeClock.h"
#include "engine/CounterCache.h"
#include "storage/Database.h"
#include "storage/DayNumber.h"
#include "engine/PendingBookings.h"
#include "engine/Provisioning.h"
#include "engine/ShutdownBooking.h"
#include "storage/TrafficStatements.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <QFile>

#include "support/StoredDays.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <sys/stat.h>

namespace {

const QDate kDay(2026, 12, 8);
const QDate kNextDay(2026, 12, 9);

class BookingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}});
        context.bewareOfTrafficDouble = false;
        a = adapter(2);
        b = adapter(3);
        v = {a, b};
    }
    void TearDown() override
    {
        if (holder)
            holder->exec(QStringLiteral("ROLLBACK"));
        clearLogVersionTexts();
    }

    TNic* adapter(uint32_t ifIndex) { return adapters.adapter(ifIndex); }

    static void setTotals(TNic* nic, long double received, long double send)
    {
        nic->set_gesamt_received(received);
        nic->set_gesamt_send(send);
    }

    QList<DayValues> days(const TNic* nic) { return storedDays(db, nic->Index); }

    // Another connection holds the write lock for longer than bookings wait.
    void lockDatabase()
    {
        holder = std::make_unique<Database>(db.filePath());
        holder->exec(QStringLiteral("BEGIN IMMEDIATE"));
        holder->exec(QStringLiteral("UPDATE db SET dbversion = dbversion"));
        db.setBusyTimeout(50);
    }
    void unlockDatabase()
    {
        holder->exec(QStringLiteral("ROLLBACK"));
        holder.reset();
    }

    QStringList cacheLines() const
    {
        QString text = QString::fromUtf8(home.read(QStringLiteral("netzpegel.cache")));
        text.chop(2);
        return text.split(QStringLiteral("\r\n"));
    }

    TempHome home;
    QString cachePath = home.file(QStringLiteral("netzpegel.cache"));
    FakeClock clock{QDateTime(kNextDay, QTime(0, 0, 40))};
    Database db{Database::programDatabasePath()};
    std::unique_ptr<Database> holder;
    SampleContext context;
    PendingBookings pending;
    StoredAdapters adapters{db, clock, context};
    TNic* a = nullptr;
    TNic* b = nullptr;
    std::vector<TNic*> v;
};

using DayRolloverTest = BookingTest;
using ShutdownBookingTest = BookingTest;

TEST_F(DayRolloverTest, PastDayIsBookedAndOnlyTheTotalsStartAgain)
{
    // One sample gives rates and previous raw values, which the rollover must leave.
    a->set_wert_received(100000);
    a->set_wert_send(90000);
    setTotals(a, 5000, 7000);
    setTotals(b, 1, 2);
    long double alteSend = 0;
    long double alteReceived = 0;
    const double rateReceived = a->get_rate_received();

    QDate tagesdatum = kDay;
    EXPECT_TRUE(rollOverDay(tagesdatum, kNextDay, v, pending).empty());
    EXPECT_EQ(tagesdatum, kNextDay);
    EXPECT_EQ(days(a), (QList<DayValues>{{kDay, 5000, 7000}}));
    EXPECT_EQ(days(b), (QList<DayValues>{{kDay, 1, 2}}));
    for (TNic* nic : v) {
        EXPECT_EQ(nic->get_gesamt_received(), 0);
        EXPECT_EQ(nic->get_gesamt_send(), 0);
    }
    a->get_alte_werte(alteSend, alteReceived);
    EXPECT_EQ(alteReceived, 100000);
    EXPECT_EQ(alteSend, 90000);
    EXPECT_EQ(a->get_rate_received(), rateReceived);
    EXPECT_NE(rateReceived, 0);

    // The next sample counts only its own difference, in the new day.
    a->set_wert_received(100300);
    EXPECT_EQ(a->get_gesamt_received(), 300);

    // Same day again: nothing booked, nothing reset.
    EXPECT_TRUE(rollOverDay(tagesdatum, kNextDay, v, pending).empty());
    EXPECT_EQ(a->get_gesamt_received(), 300);
    EXPECT_EQ(days(a).size(), 1);
    EXPECT_TRUE(pending.isEmpty());
}

TEST_F(DayRolloverTest, SecondRolloverForTheSameDayAddsToItsRow)
{
    QDate tagesdatum = kDay;
    setTotals(a, 5000, 7000);
    rollOverDay(tagesdatum, kNextDay, v, pending);
    // The clock was set back to that day and forward again.
    tagesdatum = kDay;
    setTotals(a, 100, 200);
    EXPECT_TRUE(rollOverDay(tagesdatum, kNextDay, v, pending).empty());
    EXPECT_EQ(days(a), (QList<DayValues>{{kDay, 5100, 7200}}));
}

TEST_F(DayRolloverTest, FailedBookingStaysPendingAndIsBookedByALaterCheck)
{
    a->set_wert_received(400);
    setTotals(a, 5000, 7000);
    setTotals(b, 10, 20);
    lockDatabase();

    QDate tagesdatum = kDay;
    EXPECT_EQ(rollOverDay(tagesdatum, kNextDay, v, pending), v) << "one report per failing entry";
    EXPECT_EQ(tagesdatum, kNextDay);
    EXPECT_EQ(a->get_gesamt_received(), 0) << "the new day starts at zero all the same";
    EXPECT_EQ(owedReceived(pending, a), 5000);
    EXPECT_EQ(owedSend(pending, a), 7000);
    EXPECT_EQ(owedReceived(pending, b), 10);

    // The new day runs on; checks while the lock holds neither lose nor report again.
    a->set_wert_received(700);
    EXPECT_TRUE(rollOverDay(tagesdatum, kNextDay, v, pending).empty());
    EXPECT_EQ(owedReceived(pending, a), 5000);

    unlockDatabase();
    EXPECT_TRUE(rollOverDay(tagesdatum, kNextDay, v, pending).empty());
    EXPECT_TRUE(pending.isEmpty());
    EXPECT_EQ(days(a), (QList<DayValues>{{kDay, 5000, 7000}})) << "under the past day, not today";
    EXPECT_EQ(days(b), (QList<DayValues>{{kDay, 10, 20}}));
    EXPECT_EQ(a->get_gesamt_received(), 300) << "today's running total is not touched by the retry";
}

TEST_F(DayRolloverTest, PendingAmountsOfOneDayAddUpAndDifferentDaysStayApart)
{
    setTrafficTableAside(db, b->Index);
    QDate tagesdatum = kDay;
    setTotals(b, 10, 20);
    EXPECT_EQ(rollOverDay(tagesdatum, kNextDay, v, pending), std::vector<TNic*>{b});
    tagesdatum = kDay; // clock set back and forward again
    setTotals(b, 1, 2);
    rollOverDay(tagesdatum, kNextDay, v, pending);
    setTotals(b, 3, 4);
    rollOverDay(tagesdatum, kNextDay.addDays(1), v, pending);
    ASSERT_EQ(pending.bookings().size(), 2u);
    EXPECT_EQ(owedReceived(pending, b), 14);

    restoreTrafficTable(db, b->Index);
    EXPECT_TRUE(pending.retry());
    EXPECT_EQ(days(b), (QList<DayValues>{{kDay, 11, 22}, {kNextDay, 3, 4}}));
    EXPECT_EQ(days(a).size(), 2);
}

// Failure blocks in error.txt so far.
int loggedBlocks(const TempHome& home)
{
    return static_cast<int>(home.read(QStringLiteral("error.txt")).count(QString(64, QLatin1Char('#')).toUtf8()));
}

TEST_F(DayRolloverTest, AStuckBookingIsLoggedOnceADayPerCauseAndItsRetriesWaitBriefly)
{
    db.setBusyTimeout(5000);
    QList<int> retryWaits; // the connection's busy timeout at each statement of a retry
    bool retrying = false;
    db.setStatementObserver([&](const QString&) {
        if (retrying)
            retryWaits << db.busyTimeout();
    });
    setTrafficTableAside(db, b->Index);
    setTotals(b, 10, 20);
    QDate tagesdatum = kDay;
    rollOverDay(tagesdatum, kNextDay, v, pending);
    EXPECT_EQ(loggedBlocks(home), 1) << "the failure itself";

    // A day of minute checks: the retries fail for the same cause and add nothing to the log.
    retrying = true;
    for (int minute = 0; minute < 24 * 60 - 2; ++minute) {
        clock.advanceSeconds(60);
        rollOverDay(tagesdatum, kNextDay, v, pending);
    }
    retrying = false;
    EXPECT_EQ(loggedBlocks(home), 1);
    ASSERT_FALSE(retryWaits.isEmpty());
    EXPECT_EQ(retryWaits.count(PendingBookings::kUiThreadRetryWaitMs), retryWaits.size());
    EXPECT_EQ(db.busyTimeout(), 5000) << "other statements wait as long as ever";

    // The next day the stuck booking is logged once more, beside the new day's own failure.
    clock.advanceSeconds(3 * 60);
    ASSERT_EQ(clock.today(), kNextDay.addDays(1));
    rollOverDay(tagesdatum, clock.today(), v, pending);
    EXPECT_EQ(loggedBlocks(home), 3);
    clock.advanceSeconds(60);
    rollOverDay(tagesdatum, clock.today(), v, pending);
    EXPECT_EQ(loggedBlocks(home), 3);

    // Another cause is news: logged at once, then quiet again.
    restoreTrafficTable(db, b->Index);
    lockDatabase();
    db.setBusyTimeout(5000);
    for (int minute = 0; minute < 3; ++minute) {
        clock.advanceSeconds(60);
        rollOverDay(tagesdatum, clock.today(), v, pending);
    }
    EXPECT_EQ(loggedBlocks(home), 5) << "both owed days of b, each once";
    EXPECT_TRUE(home.read(QStringLiteral("error.txt")).contains("database is locked"));

    unlockDatabase();
    rollOverDay(tagesdatum, clock.today(), v, pending);
    EXPECT_TRUE(pending.isEmpty());
    EXPECT_EQ(days(b), (QList<DayValues>{{kDay, 10, 20}, {kNextDay, 0, 0}}));
}

TEST_F(ShutdownBookingTest, ShutdownRetriesWaitTheWholeBusyTimeout)
{
    db.setBusyTimeout(5000);
    setTrafficTableAside(db, b->Index);
    setTotals(b, 10, 20);
    QDate tagesdatum = kDay;
    rollOverDay(tagesdatum, kNextDay, v, pending);
    restoreTrafficTable(db, b->Index);
    QList<int> waits;
    db.setStatementObserver([&](const QString&) { waits << db.busyTimeout(); });
    bookAtShutdown(v, pending, cachePath, kNextDay);
    ASSERT_FALSE(waits.isEmpty());
    EXPECT_EQ(waits.count(5000), waits.size());
    EXPECT_TRUE(pending.isEmpty());
}

TEST_F(ShutdownBookingTest, EverythingBookedDeletesTheCache)
{
    home.write(QStringLiteral("netzpegel.cache"), "46364\r\n0\r\n1\r\n2\r\n1\r\n3\r\n4\r\n");
    setTotals(a, 5000, 7000);
    setTotals(b, 10, 20);
    const ShutdownBookingResult result = bookAtShutdown(v, pending, cachePath, kNextDay);
    EXPECT_TRUE(result.failed.empty());
    EXPECT_TRUE(result.cacheContent.isEmpty());
    EXPECT_FALSE(QFile::exists(cachePath));
    EXPECT_EQ(days(a), (QList<DayValues>{{kNextDay, 5000, 7000}}));
    EXPECT_EQ(days(b), (QList<DayValues>{{kNextDay, 10, 20}}));
}

TEST_F(ShutdownBookingTest, FailedEntryLeavesACacheWithOnlyItsTotalsForTheNextStart)
{
    setTotals(a, 5000, 7000);
    setTotals(b, 10, 20);
    setTrafficTableAside(db, b->Index);

    const ShutdownBookingResult result = bookAtShutdown(v, pending, cachePath, kNextDay);
    EXPECT_EQ(result.failed, std::vector<TNic*>{b});
    EXPECT_EQ(days(a), (QList<DayValues>{{kNextDay, 5000, 7000}}));
    const QString day = QString::number(dayNumberOf(kNextDay));
    EXPECT_EQ(cacheLines(), (QStringList{day, "0", "0", "0", "1", "20", "10"}));
    EXPECT_EQ(result.cacheContent, home.read(QStringLiteral("netzpegel.cache")));

    // The next start, a day later, books what was owed under the day it belongs to.
    restoreTrafficTable(db, b->Index);
    setTotals(a, 0, 0);
    setTotals(b, 0, 0);
    PendingBookings next;
    EXPECT_EQ(CounterCache::read(cachePath, v, kNextDay.addDays(1), next), CounterCache::Restored);
    EXPECT_TRUE(next.isEmpty());
    EXPECT_EQ(days(b), (QList<DayValues>{{kNextDay, 10, 20}}));
    EXPECT_EQ(days(a), (QList<DayValues>{{kNextDay, 5000, 7000}})) << "nothing booked twice";
}

TEST_F(ShutdownBookingTest, AllEntriesAreBookedInOneTransactionAndAFailedOneOnlyLeavesItsOwnOut)
{
    setTotals(a, 5000, 7000);
    setTotals(b, 10, 20);
    setTrafficTableAside(db, a->Index);
    QStringList ends;
    db.setStatementObserver([&](const QString& sql) {
        if (sql.startsWith(QStringLiteral("BEGIN")) || sql == QStringLiteral("COMMIT"))
            ends << sql;
    });
    EXPECT_EQ(bookTodayTogether(v), std::vector<TNic*>{a});
    db.setStatementObserver({});
    EXPECT_EQ(ends, (QStringList{"BEGIN IMMEDIATE", "COMMIT"})) << "one sync to disk for all";
    EXPECT_EQ(days(b), (QList<DayValues>{{kNextDay, 10, 20}}));
    EXPECT_EQ(b->get_gesamt_received(), 0);
    EXPECT_EQ(a->get_gesamt_received(), 5000) << "what failed stays to be cached";
    EXPECT_EQ(a->get_gesamt_send(), 7000);
}

TEST_F(ShutdownBookingTest, PendingEarlierDayStaysOwedWhileTheDatabaseIsLocked)
{
    setTotals(a, 5000, 7000);
    setTotals(b, 10, 20);
    lockDatabase();
    QDate tagesdatum = kDay;
    rollOverDay(tagesdatum, kNextDay, v, pending);
    setTotals(a, 1, 2);
    setTotals(b, 3, 4);

    // Still locked at shutdown: today's totals go into the cache, the owed day stays owed
    // (under its own day, never under today's).
    const ShutdownBookingResult result = bookAtShutdown(v, pending, cachePath, kNextDay);
    EXPECT_EQ(result.failed, v);
    EXPECT_EQ(pending.bookings().size(), 2u);
    EXPECT_TRUE(pending.owes(a, kDay));
    const QString day = QString::number(dayNumberOf(kNextDay));
    EXPECT_EQ(cacheLines(), (QStringList{day, "0", "2", "1", "1", "4", "3"}));
    unlockDatabase();
    EXPECT_TRUE(days(a).isEmpty());
    EXPECT_TRUE(pending.retry());
    EXPECT_EQ(days(a), (QList<DayValues>{{kDay, 5000, 7000}}));
}

TEST_F(ShutdownBookingTest, PendingEarlierDayIsBookedUnderItsOwnDayWhenTheDatabaseIsBack)
{
    setTrafficTableAside(db, b->Index);
    setTotals(b, 10, 20);
    QDate tagesdatum = kDay;
    rollOverDay(tagesdatum, kNextDay, v, pending);
    restoreTrafficTable(db, b->Index);
    setTotals(b, 3, 4);
    home.write(QStringLiteral("netzpegel.cache"), "old");

    const ShutdownBookingResult result = bookAtShutdown(v, pending, cachePath, kNextDay);
    EXPECT_TRUE(result.failed.empty());
    EXPECT_TRUE(pending.isEmpty());
    EXPECT_FALSE(QFile::exists(cachePath));
    EXPECT_EQ(days(b), (QList<DayValues>{{kDay, 10, 20}, {kNextDay, 3, 4}}));
}

} // namespace

namespace {

using PendingFileTest = BookingTest;

ino_t inode(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(PendingFileTest, ALongFileIsReadInOnePassAndWrittenOnlyWhenReadingChangedIt)
{
    const QString path = home.file(QStringLiteral("netzpegel.cache.pending"));
    // Years of a long outage, as the program writes them: an absent adapter's
    // lines first, then one line per adapter and day.
    QByteArray text;
    for (const char* index : {"0000000a", "00000002|00000003"}) {
        QDate day(2020, 1, 1);
        for (int n = 0; n < 2000; ++n, day = day.addDays(1))
            for (const QByteArray& id : QByteArray(index).split('|'))
                text += id + '\t' + day.toString(Qt::ISODate).toLatin1() + "\t1000\t" + QByteArray::number(n) + '\n';
    }
    home.write(QStringLiteral("netzpegel.cache.pending"), text);
    const ino_t before = inode(path);
    pending.attachFile(path, v);
    ASSERT_EQ(pending.bookings().size(), 4000u);
    EXPECT_EQ(owedReceived(pending, b), 2000 * 1000);
    EXPECT_EQ(inode(path), before) << "nothing to change: not written";
    EXPECT_EQ(home.read(QStringLiteral("netzpegel.cache.pending")).size(), text.size());

    // Two lines of one day add up: the file is written again, once, with the sum.
    home.write(QStringLiteral("netzpegel.cache.pending"), "00000002\t2026-12-07\t1\t2\n00000002\t2026-12-07\t10\t20\n");
    PendingBookings merged;
    merged.attachFile(path, v);
    ASSERT_EQ(merged.bookings().size(), 1u);
    EXPECT_EQ(home.read(QStringLiteral("netzpegel.cache.pending")), "00000002\t2026-12-07\t11\t22\n");
}

} // namespace
