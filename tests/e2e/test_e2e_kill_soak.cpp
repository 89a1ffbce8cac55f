// The executable killed at random moments while traffic flows, and started
// again each time: within one boot a crash loses nothing and counts nothing twice.
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"

#include <QDate>
#include <QProcess>

#include <random>

namespace {

constexpr int kKills = 20;
// Long enough to reach a start-up, a sampling tick and a few cache writes; a
// kill may come at any point of those.
constexpr int kLongestRunMs = 1500;

using E2eKillSoak = E2eTest;

TEST_F(E2eKillSoak, TwentyKillsWhileTrafficFlowsLoseNothingAndCountNothingTwice)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    const DayTraffic bookedBefore = bookedSinceStart(lo);
    const unsigned seed = qEnvironmentVariableIsSet("NETZPEGEL_SOAK_SEED")
        ? static_cast<unsigned>(qEnvironmentVariableIntValue("NETZPEGEL_SOAK_SEED"))
        : std::random_device{}();
    SCOPED_TRACE(testing::Message() << "NETZPEGEL_SOAK_SEED=" << seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> moment(0, kLongestRunMs);

    LoopbackCounters start;
    QProcess flow;
    for (int kill = 0; kill < kKills; ++kill) {
        ProgramRun run(sandbox, home.folder()); // the cache every 100 ms
        if (kill == 0) {
            // Counting begins where this run's first sample finds the counters.
            ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
            start = sandbox.loopback();
            ASSERT_TRUE(countedUpTo(run, start));
            ASSERT_TRUE(sandbox.startTrafficFlow(flow));
        }
        const int ms = moment(random);
        ASSERT_TRUE(run.runFor(ms)) << "ended by itself before its kill " << kill << " after " << ms << " ms: "
                                    << qPrintable(run.errorOutput());
        ASSERT_TRUE(run.kill());
    }
    flow.kill();
    ASSERT_TRUE(flow.waitForFinished(ProgramRun::kWaitMs));

    ProgramRun last(sandbox, home.folder());
    ASSERT_TRUE(last.waitUntilReady()) << qPrintable(last.errorOutput());
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(last, end));
    ASSERT_TRUE(last.terminate());
    EXPECT_TRUE(last.exitedCleanly()) << qPrintable(last.errorOutput());
    EXPECT_TRUE(messagesOf(last.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(last.errorOutput());

    const DayTraffic booked = bookedSinceStart(lo);
    EXPECT_EQ(booked.rows, 1);
    EXPECT_EQ(booked.received - bookedBefore.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send - bookedBefore.send, static_cast<double>(end.tx - start.tx));
    EXPECT_GT(end.rx - start.rx, 1000000u) << "traffic flowed through the kills";
}

} // namespace
