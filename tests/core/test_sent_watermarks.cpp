// The marks of what the central database holds: kept per table and central database, moved back
// when the database tab merges days into the past, forgotten with a table that is deleted, and
// never made in a file that has sent nothing.
#include "storage/Database.h"
#include "storage/SentWatermarks.h"
#include "storage/TabFile.h"
#include "storage/TableMaintenance.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString kA = QStringLiteral("target-a");
const QString kB = QStringLiteral("target-b");

class SentWatermarksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* t : {"00000002", "00000003"})
            ASSERT_TRUE(storeTrafficRows(path(), QString::fromLatin1(t), {{QStringLiteral("2026-06-30"), 1.0, 1.0}}));
    }

    QString path() const { return home.file(QStringLiteral("Datenbank.mdb")); }

    QString tabFile(const QList<TabDay>& days)
    {
        home.write(QStringLiteral("import.tab"), formatTabFile(days));
        return home.file(QStringLiteral("import.tab"));
    }

    TempHome home;
};

TEST_F(SentWatermarksTest, AreKeptPerTableAndCentralDatabase)
{
    Database db(path());
    EXPECT_TRUE(SentWatermarks::read(db, kA).isEmpty());
    SentWatermarks::write(db, kA, QStringLiteral("00000002"), QDate(2026, 6, 30));
    SentWatermarks::write(db, kB, QStringLiteral("00000002"), QDate(2026, 5, 1));
    SentWatermarks::write(db, kA, QStringLiteral("00000002"), QDate(2026, 7, 1));
    EXPECT_EQ(SentWatermarks::read(db, kA).value(QStringLiteral("00000002")), QDate(2026, 7, 1));
    EXPECT_EQ(SentWatermarks::read(db, kB).value(QStringLiteral("00000002")), QDate(2026, 5, 1));
    SentWatermarks::forget(db, kA);
    EXPECT_TRUE(SentWatermarks::read(db, kA).isEmpty());
    EXPECT_EQ(SentWatermarks::read(db, kB).size(), 1);
}

TEST_F(SentWatermarksTest, DaysMergedIntoThePastAreOwedAgainAndADeletedTableForgetsItsMarks)
{
    Database db(path());
    for (const QString& target : {kA, kB}) {
        SentWatermarks::write(db, target, QStringLiteral("00000002"), QDate(2026, 6, 30));
        SentWatermarks::write(db, target, QStringLiteral("00000003"), QDate(2026, 6, 30));
    }
    // An import of March: both central databases owe the days from March on.
    const MaintenanceResult imported =
        Table_Import(db, QStringLiteral("00000002"), tabFile({{QDate(2026, 3, 9), 5, 6}, {QDate(2026, 3, 1), 1, 2}}));
    ASSERT_TRUE(imported.ok) << imported.detail.toStdString();
    for (const QString& target : {kA, kB}) {
        EXPECT_EQ(SentWatermarks::read(db, target).value(QStringLiteral("00000002")), QDate(2026, 2, 28));
        EXPECT_EQ(SentWatermarks::read(db, target).value(QStringLiteral("00000003")), QDate(2026, 6, 30));
    }
    // Days after the mark change nothing: they are owed anyway.
    ASSERT_TRUE(Table_Import(db, QStringLiteral("00000003"), tabFile({{QDate(2026, 8, 1), 5, 6}})).ok);
    EXPECT_EQ(SentWatermarks::read(db, kA).value(QStringLiteral("00000003")), QDate(2026, 6, 30));

    // A move owes the destination its days and takes the source's marks with the source.
    ASSERT_TRUE(Table_Move(db, QStringLiteral("00000002"), QStringLiteral("00000003")).ok);
    EXPECT_EQ(SentWatermarks::read(db, kA).value(QStringLiteral("00000003")), QDate(2026, 2, 28));
    EXPECT_FALSE(SentWatermarks::read(db, kA).contains(QStringLiteral("00000002")));
    ASSERT_TRUE(Table_Delete(db, QStringLiteral("00000003")).ok);
    EXPECT_TRUE(SentWatermarks::read(db, kA).isEmpty());
    EXPECT_TRUE(SentWatermarks::read(db, kB).isEmpty());
}

TEST_F(SentWatermarksTest, AFileThatNeverSentGetsNoTableOfMarks)
{
    Database db(path());
    ASSERT_TRUE(Table_Import(db, QStringLiteral("00000002"), tabFile({{QDate(2026, 3, 1), 1, 2}})).ok);
    ASSERT_TRUE(Table_Copy(db, QStringLiteral("00000002"), QStringLiteral("00000004")).ok);
    ASSERT_TRUE(Table_Delete(db, QStringLiteral("00000004")).ok);
    EXPECT_FALSE(db.userTables().contains(SentWatermarks::tableName()));
}

} // namespace
