#include "desktop/BasisPrio.h"
#include "desktop/SetpriorityProcessPriority.h"
#include "fakes/FakeProcessPriority.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

TEST(BasisPrio, PositionsGiveTheirNiceValues)
{
    const std::pair<int, int> table[] = {{1, -20}, {2, -10}, {3, 0}, {4, 19}};
    for (const auto& [position, nice] : table) {
        FakeProcessPriority priority;
        EXPECT_EQ(SetBasisPrio(position, priority), BasisPrioOutcome::Applied) << position;
        EXPECT_EQ(priority.asked, std::vector<int>{nice}) << position;
        EXPECT_EQ(basisPrioForNice(nice), position) << "and back";
    }
}

TEST(BasisPrio, OtherPositionsChangeNothing)
{
    for (int position : {0, 5, 9, -1, 100}) {
        FakeProcessPriority priority;
        EXPECT_EQ(SetBasisPrio(position, priority), BasisPrioOutcome::NoPosition) << position;
        EXPECT_TRUE(priority.asked.empty()) << position;
    }
}

TEST(BasisPrio, ARefusalIsToldAndTheProcessStaysWhereItIs)
{
    FakeProcessPriority priority;
    priority.refuse = true;
    priority.current = 19;
    EXPECT_EQ(SetBasisPrio(3, priority), BasisPrioOutcome::Refused);
    EXPECT_EQ(priority.current, 19);
    EXPECT_EQ(basisPrioForNice(priority.nice()), 4);
}

TEST(BasisPrio, ANiceValueSetElsewhereShowsAtTheNearestPosition)
{
    const std::pair<int, int> table[] = {{-19, 1}, {-11, 2}, {-6, 2}, {-4, 3}, {3, 3}, {9, 3}, {10, 4}, {15, 4}};
    for (const auto& [nice, position] : table)
        EXPECT_EQ(basisPrioForNice(nice), position) << nice;
}

// The nice value of one thread, field 19 of its stat line (after the command in parentheses).
int threadNice(const QString& tid)
{
    QFile f(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
    if (!f.open(QIODevice::ReadOnly))
        return -100;
    const QByteArray line = f.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 16 ? fields[16].toInt() : -100;
}

QMap<QString, int> niceOfEveryThread()
{
    QMap<QString, int> nice;
    for (const QString& tid : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        nice.insert(tid, threadNice(tid));
    return nice;
}

// Threads that wait until the test lets them go.
class WaitingThreads
{
public:
    void start(int count)
    {
        for (int i = 0; i < count; ++i)
            m_threads.emplace_back([this] {
                std::unique_lock lock(m_mutex);
                ++m_started;
                m_changed.notify_all();
                m_changed.wait(lock, [this] { return m_done; });
            });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_started == static_cast<int>(m_threads.size()); });
    }
    ~WaitingThreads()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_threads;
    int m_started = 0;
    bool m_done = false;
};

TEST(SetpriorityProcessPriority, EveryThreadFollowsAChangeAndNewThreadsStartThere)
{
    // Lowering needs no privilege; this test process runs at a low priority after it.
    const int before = ::getpriority(PRIO_PROCESS, 0);
    ASSERT_LT(before, 10) << "the test needs room to lower the priority twice";
    WaitingThreads threads;
    threads.start(3);
    SetpriorityProcessPriority priority;
    for (const int nice : {std::max(before, 5), 10}) {
        ASSERT_TRUE(priority.setNice(nice));
        EXPECT_EQ(priority.nice(), nice);
        const QMap<QString, int> seen = niceOfEveryThread();
        EXPECT_GE(seen.size(), 4);
        for (auto it = seen.begin(); it != seen.end(); ++it)
            EXPECT_EQ(it.value(), nice) << "thread " << it.key().toStdString();
    }
    int later = -100;
    std::thread([&] { later = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid))); }).join();
    EXPECT_EQ(later, 10) << "a thread started afterwards";
}

TEST(SetpriorityProcessPriority, AThreadListThatCannotBeReadStillChangesTheMainThread)
{
    const int before = ::getpriority(PRIO_PROCESS, 0);
    SetpriorityProcessPriority priority(QStringLiteral("/nonexistent/task"));
    ASSERT_TRUE(priority.setNice(std::max(before, 19)));
    EXPECT_EQ(priority.nice(), 19);
}

} // namespace
