#include "desktop/BasisPrio.h"
#include "desktop/SetpriorityProcessPriority.h"
#include "fakes/FakeProcessPriority.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

TEST(BasisPrio, PositionsGiveTheirNiceValues)
{
    const std::pair<int, int> table[] = {{1, -20}, {2, -10}, {3, 0}, {4, 19}};
    for (const auto& [position, nice] : table) {
        FakeProcessPriority priority;
        EXPECT_TRUE(SetBasisPrio(position, priority)) << position;
        EXPECT_EQ(priority.asked, std::vector<int>{nice}) << position;
    }
}

TEST(BasisPrio, OtherPositionsChangeNothing)
{
    for (int position : {0, 5, 9, -1, 100}) {
        FakeProcessPriority priority;
        EXPECT_FALSE(SetBasisPrio(position, priority)) << position;
        EXPECT_TRUE(priority.asked.empty()) << position;
    }
}

TEST(BasisPrio, ARefusalIsIgnored)
{
    FakeProcessPriority priority;
    priority.refuse = true;
    EXPECT_TRUE(SetBasisPrio(1, priority));
    EXPECT_EQ(priority.current, 0);
}

TEST(SetpriorityProcessPriority, LowersThisProcess)
{
    // Lowering needs no privilege; this test process may run at idle priority after it.
    const int before = ::getpriority(PRIO_PROCESS, 0);
    SetpriorityProcessPriority priority;
    ASSERT_TRUE(priority.setNice(std::max(before, 19)));
    EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), 19);
}

} // namespace
