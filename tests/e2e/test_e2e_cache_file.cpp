// The executable and its counter cache file: a cache of an earlier day, a
// cache that does not fit or cannot be read, and a cache that cannot be written.
#include "config/TSprache.h"
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include <functional>
#include <ostream>

namespace {

constexpr qint64 kPayload = 40000;

QString iso(const QDate& day)
{
    return day.toString(Qt::ISODate);
}

qint64 dayNumber(const QDate& day)
{
    return QDate(1899, 12, 30).daysTo(day);
}

struct Totals
{
    qint64 send;
    qint64 received;
};

// A cache file as the program writes it: the day, then per entry its position
// and its send and receive totals, each line ended by CR LF.
QByteArray cacheText(const QString& dayLine, const std::vector<Totals>& entries)
{
    QByteArray text = dayLine.toUtf8() + "\r\n";
    for (size_t k = 0; k < entries.size(); ++k)
        text += QByteArray::number(static_cast<qulonglong>(k)) + "\r\n" + QByteArray::number(entries[k].send) + "\r\n"
            + QByteArray::number(entries[k].received) + "\r\n";
    return text;
}

std::vector<Totals> distinctTotals(qsizetype n)
{
    std::vector<Totals> totals;
    for (qsizetype k = 0; k < n; ++k)
        totals.push_back({1000 * (k + 1) + 7, 2500 * (k + 1) + 3});
    return totals;
}

QString languageText(const QString& key)
{
    TSprache sprache; // the shipped German file, as the program loads it
    sprache.Laden(QStringLiteral("deutsch.lan"));
    return sprache.error(key);
}

using E2eCacheFile = E2eTest;

TEST_F(E2eCacheFile, CacheOfAnEarlierDayIsBookedUnderThatDayOnce)
{
    {
        ProgramRun first(sandbox, home.folder());
        ASSERT_TRUE(first.waitUntilReady());
        ASSERT_TRUE(first.terminate());
        ASSERT_TRUE(first.exitedCleanly()) << qPrintable(first.errorOutput());
    }
    const QStringList entries = savedEntries();
    ASSERT_FALSE(entries.isEmpty());
    const QDate earlier = QDate::currentDate().addDays(-3);
    const std::vector<Totals> totals = distinctTotals(entries.size());
    home.write(QStringLiteral("netzpegel.cache"), cacheText(QString::number(dayNumber(earlier)), totals));

    {
        // No timed cache write comes before the crash.
        ProgramRun run(sandbox, home.folder(), 3600000);
        ASSERT_TRUE(run.waitUntilReady());
        // Booked at the start, the cache goes on with today's zero totals at once,
        // so that a crash right after cannot book that day a second time.
        ASSERT_TRUE(run.waitUntil([&] {
            // Read again each time: the day may turn while the test waits.
            const QByteArray todays = QByteArray::number(dayNumber(QDate::currentDate())) + "\r\n";
            return home.read(QStringLiteral("netzpegel.cache")).startsWith(todays);
        }));
        ASSERT_TRUE(run.kill());
    }
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_TRUE(run.waitUntilReady());
        ASSERT_TRUE(run.terminate());
        ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
        EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
    }

    for (qsizetype k = 0; k < entries.size(); ++k) {
        SCOPED_TRACE(qPrintable(entries[k]));
        std::map<QString, DayTraffic> rows = trafficRows(db(), entries[k]);
        const DayTraffic& day = rows[iso(earlier)];
        EXPECT_EQ(day.rows, 1);
        EXPECT_EQ(day.send, static_cast<double>(totals[static_cast<size_t>(k)].send));
        EXPECT_EQ(day.received, static_cast<double>(totals[static_cast<size_t>(k)].received));
        // Nothing is counted in this folder today (lo hidden, no PPP link).
        EXPECT_EQ(rows[iso(QDate::currentDate())].send, 0.0);
        EXPECT_EQ(rows[iso(QDate::currentDate())].received, 0.0);
    }
}

struct BadCache
{
    const char* name;
    std::function<QByteArray(qsizetype entries)> content;
    const char* messageKey;
    bool logged; // the unfitting cache is also written to error.txt
};

void PrintTo(const BadCache& c, std::ostream* os)
{
    *os << c.name;
}

class E2eBadCache : public E2eTest, public ::testing::WithParamInterface<BadCache>
{
};

TEST_P(E2eBadCache, IsKeptAsBackupAndReportedWhileCountingGoesOn)
{
    const BadCache& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    const QByteArray bad = c.content(savedEntries().size());
    home.write(QStringLiteral("netzpegel.cache"), bad);

    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady());
    const LoopbackCounters start = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(run, start));
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(run, end));
    ASSERT_TRUE(run.terminate());
    ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());

    EXPECT_EQ(messagesOf(run.errorOutput(), QStringLiteral("error")), QStringList{languageText(c.messageKey)})
        << qPrintable(run.errorOutput());
    const QStringList backups =
        QDir(home.folder()).entryList({QStringLiteral("backup_*_netzpegel.cache")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1) << qPrintable(QDir(home.folder()).entryList().join(' '));
    EXPECT_EQ(home.read(backups[0]), bad) << "the backup is the file as it was";
    const QByteArray log = home.read(QStringLiteral("error.txt"));
    const QByteArray cacheLog = "ReadCacheFromHDD(CacheDateiname)";
    if (c.logged) {
        EXPECT_TRUE(log.contains(cacheLog)) << log.constData();
        EXPECT_TRUE(log.contains('"' + home.file(backups[0]).toUtf8() + '"')) << log.constData();
    } else {
        EXPECT_FALSE(log.contains(cacheLog)) << log.constData();
    }

    const DayTraffic booked = bookedSinceStart(lo);
    EXPECT_EQ(booked.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send, static_cast<double>(end.tx - start.tx));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, E2eBadCache,
    ::testing::Values(
        BadCache{"OneEntryTooMany",
                 [](qsizetype n) {
                     return cacheText(QString::number(dayNumber(QDate::currentDate())), distinctTotals(n + 1));
                 },
                 "Error37", true},
        BadCache{"TotalThatIsNoNumber",
                 [](qsizetype n) {
                     QByteArray text = cacheText(QString::number(dayNumber(QDate::currentDate())), distinctTotals(n));
                     return text.replace("1007\r\n", "zehn\r\n");
                 },
                 "Error36", false}),
    [](const ::testing::TestParamInfo<BadCache>& info) { return std::string(info.param.name); });

TEST_F(E2eCacheFile, CacheThatCannotBeWrittenLeavesCountingAndBookingAlone)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    // A folder where the cache file would go: every write of it fails.
    ASSERT_TRUE(QDir(home.folder()).mkdir(QStringLiteral("netzpegel.cache")));
    constexpr int kSampled = 2500; // more than two sampling intervals of a second
    LoopbackCounters start;
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_TRUE(run.waitUntilReady());
        start = sandbox.loopback();
        ASSERT_TRUE(run.runFor(kSampled));
        ASSERT_TRUE(run.terminate());
        ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    }
    // Without cache writes the counters are saved only at the end.
    const LoopbackCounters savedStart = savedCounters(lo);
    ASSERT_TRUE(savedStart.valid && savedStart.rx == start.rx && savedStart.tx == start.tx)
        << "the run did not sample lo";

    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(run.runFor(kSampled));
    ASSERT_TRUE(run.terminate());
    ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    const LoopbackCounters savedEnd = savedCounters(lo);
    ASSERT_TRUE(savedEnd.valid && savedEnd.rx == end.rx && savedEnd.tx == end.tx) << "the run did not sample lo";

    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
    EXPECT_TRUE(QFileInfo(cachePath()).isDir());
    EXPECT_EQ(QDir(home.folder()).entryList({QStringLiteral("netzpegel.cache*")}, QDir::Files),
              QStringList{QStringLiteral("netzpegel.cache.counters")})
        << "failed writes leave nothing behind";
    // The second run went on from the counters the first one saved.
    const DayTraffic booked = bookedSinceStart(lo);
    EXPECT_EQ(booked.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send, static_cast<double>(end.tx - start.tx));
}

} // namespace
