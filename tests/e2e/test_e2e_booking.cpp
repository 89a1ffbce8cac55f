// The executable books lo's traffic of a namespace of its own at SIGTERM, and
// restarts within one boot count every byte exactly once.
#include "config/TSprache.h"
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"

#include <QDate>
#include <QFileInfo>

namespace {

constexpr qint64 kPayload = 50000;

using E2eBooking = E2eTest;

// Booked totals equal kernel counter differences: lo's rx and tx count the
// same datagrams, headers included, so each direction is checked on its own.
void expectBooked(const DayTraffic& booked, const LoopbackCounters& from, const LoopbackCounters& to)
{
    EXPECT_EQ(booked.rows, 1) << "one row per day";
    EXPECT_EQ(booked.received, static_cast<double>(to.rx - from.rx));
    EXPECT_EQ(booked.send, static_cast<double>(to.tx - from.tx));
    EXPECT_GE(to.rx - from.rx, static_cast<quint64>(kPayload)) << "the traffic was pushed";
}

TEST_F(E2eBooking, TrafficWhileRunningIsBookedByteExactAtSigterm)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
    // Nothing was saved for lo that this start could go on from, so its first
    // sample is cut to lo's maxspeed, 0: the warm-up before the start is not
    // booked, and counting starts at the counters of that first sample.
    const LoopbackCounters start = sandbox.loopback();
    ASSERT_TRUE(start.valid);
    ASSERT_TRUE(countedUpTo(run, start));

    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(run, end));
    ASSERT_TRUE(run.terminate());
    EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());

    expectBooked(bookedSinceStart(lo), start, end);
    EXPECT_FALSE(QFileInfo::exists(cachePath())) << "booked totals leave no cache behind";
    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
}

TEST_F(E2eBooking, RestartsWithinOneBootCountEveryByteOnce)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    LoopbackCounters start;
    LoopbackCounters firstEnd;
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_TRUE(run.waitUntilReady());
        start = sandbox.loopback();
        ASSERT_TRUE(countedUpTo(run, start));
        ASSERT_TRUE(sandbox.pushTraffic(kPayload));
        firstEnd = sandbox.loopback();
        ASSERT_TRUE(countedUpTo(run, firstEnd));
        ASSERT_TRUE(run.terminate());
        ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    }
    const DayTraffic bookedByFirst = bookedSinceStart(lo);
    expectBooked(bookedByFirst, start, firstEnd);

    // While nothing runs: the next start counts it from the counters saved at the end.
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_TRUE(run.waitUntilReady());
        ASSERT_TRUE(sandbox.pushTraffic(kPayload));
        // Counted, and in the cache together with the counters it was counted from.
        ASSERT_TRUE(countedUpTo(run, sandbox.loopback()));
        ASSERT_TRUE(run.kill());
    }
    ASSERT_TRUE(QFileInfo(cachePath()).isFile()) << "a killed run leaves its cache";
    const DayTraffic afterCrash = bookedSinceStart(lo);
    EXPECT_EQ(afterCrash.received, bookedByFirst.received) << "a killed run books nothing";
    EXPECT_EQ(afterCrash.send, bookedByFirst.send);

    // Between the crash and the next start.
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    LoopbackCounters end;
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_TRUE(run.waitUntilReady());
        end = sandbox.loopback();
        ASSERT_TRUE(countedUpTo(run, end));
        ASSERT_TRUE(run.terminate());
        ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
        EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
    }
    // Three runs, a crash and two pauses: the day holds the kernel's count since the first sample.
    expectBooked(bookedSinceStart(lo), start, end);
    EXPECT_FALSE(QFileInfo::exists(cachePath()));
}

TEST_F(E2eBooking, BookingRefusedAtSigtermIsKeptInTheCacheAndBookedAtTheNextStart)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    const DayTraffic bookedAtInstall = bookedSinceStart(lo);
    LoopbackCounters start;
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_TRUE(run.waitUntilReady());
        start = sandbox.loopback();
        ASSERT_TRUE(countedUpTo(run, start));
        ASSERT_TRUE(sandbox.pushTraffic(kPayload));
        ASSERT_TRUE(countedUpTo(run, sandbox.loopback()));
        DatabaseWriteLock lock(db());
        ASSERT_TRUE(lock.held());
        ASSERT_TRUE(run.terminate());
        ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
        TSprache sprache;
        sprache.Laden(QStringLiteral("deutsch.lan"));
        EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error"))
                        .contains(sprache.error(QStringLiteral("Error10")) + lo + QStringLiteral("(lo) ")
                                  + sprache.error(QStringLiteral("Error10a"))))
            << qPrintable(run.errorOutput());
    }
    const DayTraffic refused = bookedSinceStart(lo);
    EXPECT_EQ(refused.received, bookedAtInstall.received);
    EXPECT_EQ(refused.send, bookedAtInstall.send);
    ASSERT_TRUE(QFileInfo(cachePath()).isFile()) << "what could not be booked waits in the cache";

    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    LoopbackCounters end;
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_TRUE(run.waitUntilReady());
        end = sandbox.loopback();
        ASSERT_TRUE(countedUpTo(run, end));
        ASSERT_TRUE(run.terminate());
        ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    }
    expectBooked(bookedSinceStart(lo), start, end);
    EXPECT_FALSE(QFileInfo::exists(cachePath()));
}

} // namespace
