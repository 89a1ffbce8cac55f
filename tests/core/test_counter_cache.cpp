#include "acquisition/TNic.h"
#include "base/ExceptionLog.h"
#include "fakes/FakeClock.h"
#include "engine/CounterCache.h"
#include "storage/Database.h"
#include "storage/DayNumber.h"
#include "engine/Provisioning.h"
#include "engine/PendingBookings.h"
#include "storage/TrafficStatements.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "support/StoredDays.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// 28 June 2007 is day 39261 counted from 30 December 1899.
const QDate kFileDay(2007, 6, 28);

class CounterCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}});
    }
    void TearDown() override
    {
        clearLogVersionTexts();
        QLocale::setDefault(QLocale::c());
    }

    // A provisioned adapter entry with its tables in the database.
    TNic* adapter(uint32_t ifIndex) { return adapters.adapter(ifIndex); }

    static void setTotals(TNic* nic, long double send, long double received)
    {
        nic->set_gesamt_send(send);
        nic->set_gesamt_received(received);
    }

    QList<DayValues> days(const TNic* nic) { return storedDays(db, nic->Index); }

    int read(const std::vector<TNic*>& v, const QDate& today, QDate* fileDay = nullptr)
    {
        return CounterCache::read(path, v, today, pending, fileDay);
    }

    TempHome home;
    QString path = home.file(QStringLiteral("netzpegel.cache"));
    FakeClock clock{QDateTime(kFileDay, QTime(12, 0))};
    Database db{Database::programDatabasePath()};
    SampleContext context;
    PendingBookings pending;
    StoredAdapters adapters{db, clock, context};
};

TEST_F(CounterCacheTest, FileHoldsDayAndOneGroupPerEntryAndRestoresOnTheSameDay)
{
    TNic* a = adapter(2);
    setTotals(a, 1000, 2500);
    QByteArray written;
    ASSERT_TRUE(CounterCache::write(path, {a}, kFileDay, &written));
    EXPECT_EQ(home.read(QStringLiteral("netzpegel.cache")), QByteArray("39261\r\n0\r\n1000\r\n2500\r\n"));
    EXPECT_EQ(written, home.read(QStringLiteral("netzpegel.cache")));

    setTotals(a, 0, 0);
    QDate fileDay;
    EXPECT_EQ(read({a}, kFileDay, &fileDay), CounterCache::Restored);
    EXPECT_EQ(fileDay, kFileDay);
    EXPECT_EQ(a->get_gesamt_send(), 1000);
    EXPECT_EQ(a->get_gesamt_received(), 2500);
    EXPECT_TRUE(days(a).isEmpty()) << "same day: restored, not booked";
    EXPECT_TRUE(QFile::exists(path)) << "reading leaves the file";
}

TEST_F(CounterCacheTest, ValuesRoundTripWithoutGroupSeparatorsOrLostDigits)
{
    TNic* a = adapter(2);
    TNic* b = adapter(3);
    const long double big = 4294967296.0L * 3; // past 32 bits; would be grouped as "12.884.901.888"
    setTotals(a, big, 123456789012345.0L);
    setTotals(b, 0.5L, 7); // fractional: the decimal comma must come back as one
    ASSERT_TRUE(CounterCache::write(path, {a, b}, kFileDay));
    EXPECT_FALSE(home.read(QStringLiteral("netzpegel.cache")).contains('.'));

    setTotals(a, 1, 1);
    setTotals(b, 1, 1);
    ASSERT_EQ(read({a, b}, kFileDay), CounterCache::Restored);
    EXPECT_EQ(a->get_gesamt_send(), big);
    EXPECT_EQ(a->get_gesamt_received(), 123456789012345.0L);
    EXPECT_EQ(b->get_gesamt_send(), 0.5L);
    EXPECT_EQ(b->get_gesamt_received(), 7);

    // The same file under a locale whose decimal separator is the point.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setTotals(b, 1, 1);
    EXPECT_EQ(read({a, b}, kFileDay), CounterCache::Unreadable);
    EXPECT_EQ(b->get_gesamt_send(), 1);
}

TEST_F(CounterCacheTest, LaterDayBooksUnderTheFileDayAddingToItsRowAndZeroes)
{
    TNic* a = adapter(2);
    setTotals(a, 1000, 2500);
    ASSERT_TRUE(CounterCache::write(path, {a}, kFileDay));
    // The day already has a row from an earlier run.
    setTotals(a, 20, 10);
    ASSERT_TRUE(a->save_traffic(dayNumberOf(kFileDay)));
    setTotals(a, 5, 5);

    const QDate later = kFileDay.addDays(3);
    clock.set(QDateTime(later, QTime(8, 0)));
    QDate fileDay;
    EXPECT_EQ(read({a}, later, &fileDay), CounterCache::Restored);
    EXPECT_EQ(fileDay, kFileDay);
    EXPECT_EQ(days(a), (QList<DayValues>{{kFileDay, 2510, 1020}}));
    EXPECT_EQ(a->get_gesamt_send(), 0);
    EXPECT_EQ(a->get_gesamt_received(), 0);
    EXPECT_TRUE(pending.isEmpty());
}

TEST_F(CounterCacheTest, LaterDayBookingThatFailsIsKeptPendingNotLost)
{
    TNic* a = adapter(2);
    TNic* b = adapter(3);
    setTotals(a, 1000, 2500);
    setTotals(b, 30, 40);
    ASSERT_TRUE(CounterCache::write(path, {a, b}, kFileDay));
    setTrafficTableAside(db, b->Index);

    const QDate later = kFileDay.addDays(1);
    EXPECT_EQ(read({a, b}, later), CounterCache::Restored);
    EXPECT_EQ(days(a), (QList<DayValues>{{kFileDay, 2500, 1000}}));
    ASSERT_EQ(pending.bookings().size(), 1u);
    EXPECT_EQ(pending.bookings()[0].entry, b);
    EXPECT_EQ(pending.bookings()[0].day, kFileDay);
    EXPECT_EQ(owedSend(pending, b), 30);
    EXPECT_EQ(owedReceived(pending, b), 40);
    EXPECT_EQ(b->get_gesamt_send(), 0) << "the amounts live in the pending list now";

    restoreTrafficTable(db, b->Index);
    EXPECT_TRUE(pending.retry());
    EXPECT_EQ(days(b), (QList<DayValues>{{kFileDay, 40, 30}}));
}

TEST_F(CounterCacheTest, AnAbsentAdaptersGroupForADayItStillOwesIsNotBookedAgain)
{
    TNic* a = adapter(2);
    TNic* gone = adapter(3);   // its interface is gone at the next start: no entry then
    setTotals(a, 10, 20);
    setTotals(gone, 30, 40);
    ASSERT_TRUE(CounterCache::write(path, {a, gone}, kFileDay));
    // Later that day a booking of the same running totals failed: it is owed, and holds these bytes.
    pending.addAbsent(gone->Index, kFileDay, 45, 35);
    const QByteArray owedBefore = pending.content();

    CounterCache::Owners owners;
    owners.indexes = {a->Index, gone->Index};
    owners.database = &db;
    const QDate later = kFileDay.addDays(1);
    EXPECT_EQ(CounterCache::read(path, {a}, later, pending, nullptr, &owners), CounterCache::Restored);
    EXPECT_EQ(owners.bookedAbsent, 1);
    EXPECT_EQ(days(a), (QList<DayValues>{{kFileDay, 20, 10}}));
    EXPECT_TRUE(days(gone).isEmpty()) << "the day is owed already: booking the group too would count it twice";
    EXPECT_EQ(pending.content(), owedBefore) << "owed once, as before";

    // Without anything owed the group is booked under the file's day.
    PendingBookings nothingOwed;
    EXPECT_EQ(CounterCache::read(path, {a}, later, nothingOwed, nullptr, &owners), CounterCache::Restored);
    EXPECT_EQ(days(gone), (QList<DayValues>{{kFileDay, 40, 30}}));
    EXPECT_TRUE(nothingOwed.isEmpty());
}

TEST_F(CounterCacheTest, GroupsAreMatchedByOrderNotByTheirNumbers)
{
    TNic* a = adapter(2);
    TNic* b = adapter(3);
    setTotals(a, 1, 2);
    setTotals(b, 3, 4);
    ASSERT_TRUE(CounterCache::write(path, {a, b}, kFileDay));

    // The two adapters came back in the other order.
    EXPECT_EQ(read({b, a}, kFileDay), CounterCache::Restored);
    EXPECT_EQ(b->get_gesamt_send(), 1);
    EXPECT_EQ(b->get_gesamt_received(), 2);
    EXPECT_EQ(a->get_gesamt_send(), 3);
    EXPECT_EQ(a->get_gesamt_received(), 4);
}

TEST_F(CounterCacheTest, LineCountDecidesWhetherTheFileFits)
{
    const QByteArray twoGroups = "39261\r\n0\r\n11\r\n12\r\n1\r\n21\r\n22\r\n";
    struct Case
    {
        const char* what;
        QByteArray file;
        int entries;
        int result;
    };
    const Case cases[] = {
        {"adapter added since", "39261\r\n0\r\n11\r\n12\r\n", 2, CounterCache::DoesNotFit},
        {"adapter removed since", twoGroups, 1, CounterCache::DoesNotFit},
        {"zero-length file", "", 1, CounterCache::DoesNotFit},
        {"first line only", "39261\r\n", 1, CounterCache::DoesNotFit},
        {"one surplus line", twoGroups + "9\r\n", 2, CounterCache::Restored},
        {"two surplus lines", twoGroups + "Unsinn\r\n-\r\n", 2, CounterCache::Restored},
        {"line feeds only", QByteArray(twoGroups).replace("\r", ""), 2, CounterCache::Restored},
        {"no final line break", twoGroups.chopped(2), 2, CounterCache::Restored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<TNic*> v;
        for (int i = 0; i < c.entries; ++i) {
            v.push_back(adapter(static_cast<uint32_t>(10 + i)));
            setTotals(v.back(), 5, 6);
        }
        home.write(QStringLiteral("netzpegel.cache"), c.file);
        EXPECT_EQ(read(v, kFileDay), c.result);
        if (c.result == CounterCache::DoesNotFit) {
            for (TNic* nic : v) {
                EXPECT_EQ(nic->get_gesamt_send(), 5) << "nothing restored";
                EXPECT_EQ(nic->get_gesamt_received(), 6);
            }
            EXPECT_EQ(home.read(QStringLiteral("netzpegel.cache")), c.file) << "file left as it was";
        } else {
            EXPECT_EQ(v[0]->get_gesamt_send(), 11);
            EXPECT_EQ(v[1]->get_gesamt_received(), 22);
        }
    }
}

TEST_F(CounterCacheTest, UnreadableValueGivesMinusOneAndKeepsWhatWasDoneBefore)
{
    struct Case
    {
        const char* what;
        QByteArray file;
        bool firstRestored;
    };
    const Case cases[] = {
        {"day is no number", "gestern\r\n0\r\n11\r\n12\r\n1\r\n21\r\n22\r\n", false},
        {"day is no date", "1e300\r\n0\r\n11\r\n12\r\n1\r\n21\r\n22\r\n", false},
        {"second group garbage", "39261\r\n0\r\n11\r\n12\r\n1\r\n\x01\xff\r\nzwei\r\n", true},
        // Written where the decimal separator is a point, read under de_DE.
        {"foreign decimal separator", "39261\r\n0\r\n11\r\n12\r\n1\r\n21.5\r\n22\r\n", true},
        {"grouped number", "39261\r\n0\r\n11\r\n12\r\n1\r\n1.000\r\n22\r\n", true},
        {"empty value", "39261\r\n0\r\n11\r\n12\r\n1\r\n\r\n22\r\n", true},
        // No byte count: booked, these would blank or shrink the day's stored row.
        {"not a number", "39261\r\n0\r\n11\r\n12\r\n1\r\nnan\r\n22\r\n", true},
        {"infinite", "39261\r\n0\r\n11\r\n12\r\n1\r\n21\r\ninf\r\n", true},
        {"negative", "39261\r\n0\r\n11\r\n12\r\n1\r\n-21\r\n22\r\n", true},
    };
    uint32_t ifIndex = 10;
    for (const Case& c : cases) {
        for (const QDate& today : {kFileDay, kFileDay.addDays(1)}) {
            SCOPED_TRACE(testing::Message() << c.what << (today == kFileDay ? ", same day" : ", later day"));
            TNic* a = adapter(ifIndex++);
            TNic* b = adapter(ifIndex++);
            setTotals(b, 20, 10);
            ASSERT_TRUE(b->save_traffic(dayNumberOf(kFileDay)));
            setTotals(a, 5, 6);
            setTotals(b, 7, 8);
            home.write(QStringLiteral("netzpegel.cache"), c.file);
            EXPECT_EQ(read({a, b}, today), CounterCache::Unreadable);

            if (!c.firstRestored) {
                EXPECT_EQ(a->get_gesamt_send(), 5);
                EXPECT_EQ(a->get_gesamt_received(), 6);
                EXPECT_TRUE(days(a).isEmpty());
            } else if (today == kFileDay) {
                EXPECT_EQ(a->get_gesamt_send(), 11);
                EXPECT_EQ(a->get_gesamt_received(), 12);
            } else {
                EXPECT_EQ(days(a), (QList<DayValues>{{kFileDay, 12, 11}}));
                EXPECT_EQ(a->get_gesamt_send(), 0);
            }
            EXPECT_EQ(b->get_gesamt_send(), 7) << "the group that failed is left alone";
            EXPECT_EQ(b->get_gesamt_received(), 8);
            EXPECT_EQ(days(b), (QList<DayValues>{{kFileDay, 10, 20}})) << "and so is its stored day";
        }
    }
    EXPECT_TRUE(pending.isEmpty());
}

TEST_F(CounterCacheTest, NoUsableNameMeansNoFileAndSilentWriteFailures)
{
    TNic* a = adapter(2);
    setTotals(a, 1000, 2500);
    const QStringList before = QDir(home.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    // An empty cache name leaves the program folder itself.
    EXPECT_FALSE(CounterCache::write(home.folder(), {a}, kFileDay));
    EXPECT_FALSE(CounterCache::write(home.file(QStringLiteral("fehlt/netzpegel.cache")), {a}, kFileDay));
    EXPECT_EQ(QDir(home.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);

    EXPECT_EQ(CounterCache::read(home.folder(), {a}, kFileDay, pending), CounterCache::NoFile);
    EXPECT_EQ(CounterCache::read(path, {a}, kFileDay, pending), CounterCache::NoFile);
    EXPECT_EQ(a->get_gesamt_send(), 1000);
    EXPECT_EQ(a->get_gesamt_received(), 2500);
}

TEST_F(CounterCacheTest, BackupLiesBesideTheCacheWhateverTheDateLooksLike)
{
    home.write(QStringLiteral("netzpegel.cache"), "39261\r\n");
    // de_DE writes "28.06.07", en_US "6/28/07": a slash must not become a folder.
    for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(locale);
        const QString backup = CounterCache::backupPath(home.folder(), QStringLiteral("netzpegel.cache"), kFileDay);
        SCOPED_TRACE(backup.toStdString());
        EXPECT_EQ(QFileInfo(backup).absolutePath() + QLatin1Char('/'), home.folder());
        EXPECT_TRUE(QFileInfo(backup).fileName().startsWith(QStringLiteral("backup_")));
        EXPECT_TRUE(QFileInfo(backup).fileName().endsWith(QStringLiteral("_netzpegel.cache")));
        EXPECT_TRUE(QFile::copy(path, backup));
        EXPECT_EQ(home.read(QFileInfo(backup).fileName()), QByteArray("39261\r\n"));
    }
}

} // namespace
