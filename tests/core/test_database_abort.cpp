// A worker's connection gives up a lock wait when it is asked to stop, and
// after its busy timeout otherwise.
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

TEST(DatabaseAbort, ALockWaitEndsWhenTheCheckSaysStopOrAtTheBusyTimeout)
{
    TempHome home;
    const QString path = home.file("Datenbank.mdb");
    ASSERT_TRUE(storeTrafficRows(path, "0000000b", {{"2026-12-01", 1.0, 1.0}}));
    DatabaseExclusiveLock lock(path);
    ASSERT_TRUE(lock.held());
    Database::Options options;
    options.readOnly = true;
    options.busyTimeoutMs = 100;
    Database db(path, options);
    int asked = 0;
    db.setAbortCheck([&] { return ++asked > 3; });
    EXPECT_THROW(db.query(QStringLiteral("SELECT * FROM \"0000000b\"")), DatabaseError);
    EXPECT_EQ(asked, 4) << "stopped at the fourth look";
    db.close();
    db.setAbortCheck([] { return false; });
    try {
        db.query(QStringLiteral("SELECT * FROM \"0000000b\""));
        ADD_FAILURE() << "the lock was ignored";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("locked")) << e.message().toStdString();
    }
}

TEST(DatabaseAbort, AStopEndsARunningStatement)
{
    TempHome home;
    const QString path = home.file("Datenbank.mdb");
    ASSERT_TRUE(storeTrafficRows(path, "0000000b", {{"2026-12-01", 1.0, 1.0}}));
    Database db(path);
    db.setAbortCheck([] { return true; });
    // Long enough to meet the check many times over.
    EXPECT_THROW(db.query(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000)"
                                         " SELECT count(*) FROM n")),
                 DatabaseError);
    db.setAbortCheck({});
    EXPECT_EQ(db.query(QStringLiteral("SELECT count(*) AS c FROM \"0000000b\"")).first().toInt64("c"), 1);
}

} // namespace
