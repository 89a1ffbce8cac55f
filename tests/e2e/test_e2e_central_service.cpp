// `netzpegel --service` with a central database: today's running row and the owed days reach
// the server while it counts; with the server out of reach it counts, books and ends exactly
// as without one, and says so once.
#include "config/IniFile.h"
#include "support/CentralTest.h"
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"

#include <QDate>
#include <QProcessEnvironment>

namespace {

constexpr qint64 kPayload = 40000;

class E2eCentralService : public E2eTest
{
protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        if (IsSkipped())
            return;
        PostgresServer& pg = CentralTest::server();
        ASSERT_TRUE(pg.ok()) << "no PostgreSQL server for the test: " << pg.error().toStdString();
        if (!pg.running()) {
            ASSERT_TRUE(pg.start()) << pg.error().toStdString();
        }
        ASSERT_TRUE(pg.resetDatabase());
    }

    std::unique_ptr<ProgramRun> service(const QString& central)
    {
        IniWriteString(QStringLiteral("Allgemein"), QStringLiteral("Zentrale"), central, home.file("netzpegel.ini"));
        QProcessEnvironment env;
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.insert(QString::fromLatin1(name), QString());
        env.insert(QStringLiteral("NETZPEGEL_CACHE_INTERVAL_MS"), QStringLiteral("100"));
        env.insert(QStringLiteral("NETZPEGEL_CENTRAL_RETRY_MS"), QStringLiteral("100"));
        env.insert(QStringLiteral("NETZPEGEL_MACHINE_ID"), QStringLiteral("service-host"));
        return std::make_unique<ProgramRun>(sandbox, home.folder(), QStringLiteral(NETZPEGEL_EXE), env,
                                            QStringList{QStringLiteral("--service")});
    }

    static QString day(int offset) { return QDate::currentDate().addDays(offset).toString(Qt::ISODate); }

    // The central row of lo for `date`: "received/sent", empty when there is none.
    QString centralRow(const QString& date) const
    {
        return CentralTest::server()
            .query(QStringLiteral("SELECT received || '/' || sent FROM netzpegel_days WHERE host_id = 'service-host' "
                                  "AND adapter = $1 AND day = $2"),
                   {lo, date})
            .value(0)
            .value(0);
    }
};

TEST_F(E2eCentralService, TodaysRunningRowAndTheOwedDaysReachTheServerWhileItCounts)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    ASSERT_TRUE(storeTrafficRows(db(), lo, {{day(-2), 2000.0, 200.0}, {day(-1), 1000.0, 100.0}}));
    // Through the server's socket: the service's network namespace has no way to 127.0.0.1 of the test.
    auto run = service(CentralTest::server().connectionString());
    ASSERT_TRUE(run->waitUntilReady()) << qPrintable(run->errorOutput());
    // The first sample has rules of its own: the traffic comes after it.
    ASSERT_TRUE(countedUpTo(*run, sandbox.loopback())) << qPrintable(run->errorOutput());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(*run, end)) << qPrintable(run->errorOutput());
    const DayTraffic stored = trafficRows(db(), lo)[day(0)];
    ASSERT_TRUE(run->waitUntil([&] { return centralRow(day(-1)) == QLatin1String("1000/100"); }))
        << qPrintable(run->errorOutput());
    EXPECT_EQ(centralRow(day(-2)), QStringLiteral("2000/200"));
    EXPECT_TRUE(run->hasMapped(QStringLiteral("libpq.so"))) << "opened when the central database is first used";
    // Today's row grows with the cache writes: it reaches what the kernel counted since the start.
    ASSERT_TRUE(run->waitUntil([&] {
        const QStringList parts = centralRow(day(0)).split(QLatin1Char('/'));
        return parts.size() == 2 && parts[0].toLongLong() >= static_cast<qint64>(stored.received) + kPayload;
    })) << qPrintable(run->errorOutput()) << " central " << qPrintable(centralRow(day(0)));
    ASSERT_TRUE(run->terminate());
    ASSERT_TRUE(run->exitedCleanly()) << qPrintable(run->errorOutput());
    EXPECT_TRUE(messagesOf(run->errorOutput(), QStringLiteral("warning")).isEmpty()) << qPrintable(run->errorOutput());
}

TEST_F(E2eCentralService, WithTheServerOutOfReachItCountsBooksAndEndsAsWithoutAndSaysSoOnce)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    const QString today = day(0);
    const DayTraffic before = trafficRows(db(), lo)[today];
    auto run = service(QStringLiteral("host=/nonexistent/socket/folder port=5432 dbname=netzpegel"));
    ASSERT_TRUE(run->waitUntilReady()) << qPrintable(run->errorOutput());
    const LoopbackCounters start = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(*run, start)) << qPrintable(run->errorOutput());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(sandbox.pushTraffic(kPayload));
        ASSERT_TRUE(run->runFor(300)); // several cache writes and retries
    }
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(*run, end)) << qPrintable(run->errorOutput());
    ASSERT_TRUE(run->terminate());
    ASSERT_TRUE(run->exitedCleanly()) << qPrintable(run->errorOutput());

    const DayTraffic booked = trafficRows(db(), lo)[today];
    EXPECT_EQ(booked.rows, 1);
    EXPECT_EQ(booked.received - before.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send - before.send, static_cast<double>(end.tx - start.tx));
    EXPECT_FALSE(QFile::exists(cachePath())) << "all booked: no cache left for the next start";
    const QStringList warnings = messagesOf(run->errorOutput(), QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1) << qPrintable(run->errorOutput());
    EXPECT_TRUE(warnings[0].contains(QLatin1String("nicht erreichbar"))) << qPrintable(warnings[0]);
    EXPECT_TRUE(messagesOf(run->errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run->errorOutput());
    EXPECT_TRUE(QFile(home.file("error.txt")).exists()) << "the cause is in the log file too";
}

} // namespace
