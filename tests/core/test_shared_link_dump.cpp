#include "acquisition/SharedLinkDump.h"
#include "fakes/FakeInterfaceTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class SharedLinkDumpTest : public testing::Test
{
protected:
    void SetUp() override
    {
        leader.setRows({FakeInterfaceTable::row(1, QStringLiteral("lo"), 10, 20)});
        follower.setRows({FakeInterfaceTable::row(1, QStringLiteral("lo"), 99, 99)});
        ASSERT_TRUE(dump.leading().open());
        ASSERT_TRUE(dump.following().open());
    }

    // The inbound counter of the first row read through `table`, or -1 when the read failed.
    static int64_t readIn(InterfaceTable& table)
    {
        std::vector<IfRow> rows;
        return table.read(rows) && !rows.empty() ? static_cast<int64_t>(rows.front().inOctets) : -1;
    }

    FakeInterfaceTable leader;
    FakeInterfaceTable follower;
    int64_t now = 1000;
    SharedLinkDump dump{leader, follower, [this] { return now; }};
};

} // namespace

TEST_F(SharedLinkDumpTest, TheLeadersReadServesTheFollowersNextReadWithinAMomentOnce)
{
    EXPECT_EQ(readIn(dump.leading()), 10);
    now += SharedLinkDump::kMomentMs - 1;
    EXPECT_EQ(readIn(dump.following()), 10) << "the same dump";
    EXPECT_EQ(follower.readCount(), 0);
    EXPECT_EQ(readIn(dump.following()), 99) << "handed on once only";
    EXPECT_EQ(follower.readCount(), 1);

    // The leader never gets old rows, its own or the follower's.
    leader.addOctets(1, 5, 0);
    EXPECT_EQ(readIn(dump.leading()), 15);
    leader.addOctets(1, 5, 0);
    EXPECT_EQ(readIn(dump.leading()), 20);
    EXPECT_EQ(leader.readCount(), 3);
    EXPECT_EQ(readIn(dump.following()), 20) << "the latest read goes on";
}

TEST_F(SharedLinkDumpTest, WhatIsOlderThanAMomentOrNotThereTheFollowerReadsItself)
{
    struct Case
    {
        std::string what;
        std::function<void()> between; // after the leader's read
    };
    const Case cases[] = {
        {"a moment later", [this] { now += SharedLinkDump::kMomentMs; }},
        {"the clock went back", [this] { now -= 1; }},
        {"the leader closed", [this] { dump.leading().close(); }},
        {"the leader's next read failed",
         [this] {
             leader.setReadFails(true);
             EXPECT_EQ(readIn(dump.leading()), -1);
             leader.setReadFails(false);
         }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(dump.leading().open());
        ASSERT_EQ(readIn(dump.leading()), 10);
        const int own = follower.readCount();
        c.between();
        EXPECT_EQ(readIn(dump.following()), 99) << c.what;
        EXPECT_EQ(follower.readCount(), own + 1) << c.what;
    }
    EXPECT_EQ(readIn(dump.following()), 99) << "nothing read by the leader yet";
}
