// A second start of the executable for the same program folder ends at once;
// the running one goes on counting and books at SIGTERM.
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"

#include <QDate>

namespace {

constexpr qint64 kPayload = 30000;

using E2eSingleInstance = E2eTest;

TEST_F(E2eSingleInstance, SecondStartSaysSoAndEndsWhileTheFirstCountsOn)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    ProgramRun first(sandbox, home.folder());
    ASSERT_TRUE(first.waitUntilReady());
    const LoopbackCounters start = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(first, start));

    {
        ProgramRun second(sandbox, home.folder());
        ASSERT_TRUE(second.waitForExit());
        EXPECT_TRUE(second.exitedCleanly()) << "exit code " << second.exitCode();
        EXPECT_EQ(messagesOf(second.errorOutput(), QStringLiteral("message")),
                  QStringList{QStringLiteral("Netzpegel ist bereits aktiv!")})
            << qPrintable(second.errorOutput());
    }

    ASSERT_TRUE(first.running());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(first, end)) << "the first instance still samples and writes";
    ASSERT_TRUE(first.terminate());
    ASSERT_TRUE(first.exitedCleanly()) << qPrintable(first.errorOutput());

    const DayTraffic booked = bookedSinceStart(lo);
    EXPECT_EQ(booked.rows, 1);
    EXPECT_EQ(booked.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send, static_cast<double>(end.tx - start.tx));
    EXPECT_GE(end.rx - start.rx, static_cast<quint64>(kPayload));
}

} // namespace
