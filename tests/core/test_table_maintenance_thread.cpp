// The table maintenance worker: it runs apart from the thread that starts it,
// one operation at a time, and a stop leaves the database as it was.
#include "storage/Database.h"
#include "storage/TableMaintenanceThread.h"
#include "storage/TrafficStatements.h"
#include "support/StoredDays.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

class TableMaintenanceThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TrafficStatements::createTrafficTable(db, "A");
        TrafficStatements::insertDay(db, "A", QDate(2026, 12, 1), 10, 1);
        db.close();
        QObject::connect(&worker, &TableMaintenanceThread::finished,
                         [this](const MaintenanceResult& r) { finished << r; });
        QObject::connect(&worker, &TableMaintenanceThread::progress,
                         [this](qint64 done, qint64 total) { progress << std::pair(done, total); });
    }
    QString path() const { return db.filePath(); }
    bool waitForResults(int n) { return waitFor([&] { return finished.size() >= n; }); }

    TempHome home;
    Database db{Database::programDatabasePath()};
    TableMaintenanceThread worker;
    QList<MaintenanceResult> finished;
    QList<std::pair<qint64, qint64>> progress;
};

TEST_F(TableMaintenanceThreadTest, RunsApartAndReportsOnTheStartingThread)
{
    auto lock = std::make_unique<DatabaseWriteLock>(path());
    ASSERT_TRUE(lock->held());
    ASSERT_TRUE(worker.start(path(), {TableCommand::Copy, "A", "B", {}}));
    // The worker waits for the lock; the starting thread does not.
    EXPECT_TRUE(worker.isRunning());
    EXPECT_FALSE(worker.start(path(), {TableCommand::Delete, "A", {}, {}})) << "one at a time";
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    lock.reset();

    ASSERT_TRUE(waitForResults(1));
    EXPECT_FALSE(worker.isRunning());
    const MaintenanceResult result = finished.at(0);
    EXPECT_TRUE(result.ok) << result.detail.toStdString();
    EXPECT_EQ(result.days, 1);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), std::pair(qint64(1), qint64(1)));
    EXPECT_EQ(storedDays(db, "B"), (QList<DayValues>{{QDate(2026, 12, 1), 10, 1}}));

    ASSERT_TRUE(worker.start(path(), {TableCommand::Delete, "B", {}, {}})) << "free again";
    ASSERT_TRUE(waitForResults(2));
    EXPECT_FALSE(db.userTables().contains("B"));
}

TEST_F(TableMaintenanceThreadTest, AStopLeavesTheDatabaseAsItWasAndReportsNothing)
{
    auto lock = std::make_unique<DatabaseWriteLock>(path());
    ASSERT_TRUE(lock->held());
    ASSERT_TRUE(worker.start(path(), {TableCommand::Move, "A", "B", {}}));
    // The lock goes while the stop waits for the worker, which then gets as
    // far as its first step and stops there.
    std::thread unlocker([&] {
        while (!worker.stopping())
            std::this_thread::yield();
        lock.reset();
    });
    worker.stop();
    unlocker.join();
    EXPECT_FALSE(worker.isRunning());
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(progress.count(), 0);
    EXPECT_EQ(db.userTables(), (QStringList{"A", "db"}));
    EXPECT_EQ(storedDays(db, "A").size(), 1);
}

TEST_F(TableMaintenanceThreadTest, AnUnopenableDatabaseIsAFailedResult)
{
    home.write("broken.mdb", "not a database");
    ASSERT_TRUE(worker.start(home.file("broken.mdb"), {TableCommand::Delete, "A", {}, {}}));
    ASSERT_TRUE(waitForResults(1));
    const MaintenanceResult result = finished.at(0);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.detail.contains("not an SQLite database")) << result.detail.toStdString();
}

} // namespace
