// The central table on a real server: made when missing, refused in another shape or without
// the rights, written with absolute values that a second send leaves as they are, and summed
// per host and adapter with rows no day can hold named instead of summed.
#include "storage/CentralStatements.h"
#include "storage/PgConnection.h"
#include "storage/PgError.h"
#include "support/CentralTest.h"

namespace {

using CentralStatements::DayRow;

class CentralTable : public CentralTest
{
protected:
    PgError prepareFailure(PgConnection& pg)
    {
        try {
            CentralStatements::prepareTable(pg);
        } catch (const PgError& e) {
            return e;
        }
        return PgError(PgError::Kind::Other, QStringLiteral("prepared"));
    }
};

TEST_F(CentralTable, IsMadeWhenMissingAndTakenAsItIsAfterwards)
{
    PgConnection pg(server().connectionString());
    CentralStatements::prepareTable(pg);
    CentralStatements::prepareTable(pg);
    const auto columns = server().query(QStringLiteral("SELECT string_agg(attname || ':' || format_type(atttypid, NULL), "
                                                       "',' ORDER BY attnum) FROM pg_attribute WHERE attrelid = "
                                                       "'netzpegel_days'::regclass AND attnum > 0"));
    ASSERT_EQ(columns.size(), 1);
    EXPECT_EQ(columns[0][0], QStringLiteral("host_id:text,host_name:text,adapter:text,adapter_name:text,mac:text,"
                                            "day:date,received:bigint,sent:bigint"));
    EXPECT_EQ(server().query(QStringLiteral("SELECT count(*) FROM pg_indexes WHERE tablename = 'netzpegel_days'"))[0][0],
              QStringLiteral("2"))
        << "the key and the index by day";
}

TEST_F(CentralTable, ATableOfAnotherShapeIsRefusedWithWhatDiffers)
{
    struct Shape
    {
        const char* table;
        const char* differs;
    };
    const std::vector<Shape> shapes{
        {"host_id text, host_name text, adapter text, adapter_name text, mac text, day date, received bigint, "
         "PRIMARY KEY (host_id, adapter, day)",
         "column sent is missing"},
        {"host_id text, host_name text, adapter text, adapter_name text, mac text, day date, received text, "
         "sent bigint, PRIMARY KEY (host_id, adapter, day)",
         "column received is text"},
        {"host_id text, host_name text, adapter text, adapter_name text, mac text, day text, received bigint, "
         "sent bigint, PRIMARY KEY (host_id, adapter, day)",
         "column day is text"},
        {"host_id text, host_name text, adapter text, adapter_name text, mac text, day date, received bigint, "
         "sent bigint, PRIMARY KEY (host_id, day)",
         "no unique key on (host_id, adapter, day)"},
        {"id serial", "column host_id is missing"},
    };
    for (const Shape& shape : shapes) {
        ASSERT_TRUE(server().exec(QStringLiteral("DROP TABLE IF EXISTS netzpegel_days")));
        ASSERT_TRUE(server().exec(QStringLiteral("CREATE TABLE netzpegel_days (%1)").arg(QLatin1String(shape.table))));
        PgConnection pg(server().connectionString());
        const PgError e = prepareFailure(pg);
        EXPECT_EQ(e.kind(), PgError::Kind::TableShape) << shape.table;
        EXPECT_TRUE(e.message().contains(QLatin1String(shape.differs))) << e.message().toStdString();
    }
    // Nothing was changed in the foreign table.
    EXPECT_EQ(server().query(QStringLiteral("SELECT count(*) FROM pg_attribute WHERE attrelid = "
                                            "'netzpegel_days'::regclass AND attnum > 0"))[0][0],
              QStringLiteral("1"));
}

TEST_F(CentralTable, ARoleThatMayOnlyInsertUpdateAndSelectIsEnoughAndLessIsTold)
{
    PgConnection owner(server().connectionString());
    CentralStatements::prepareTable(owner);
    for (const char* sql : {"DROP ROLE IF EXISTS sender", "CREATE ROLE sender LOGIN",
                            "GRANT SELECT ON netzpegel_days TO sender"})
        ASSERT_TRUE(server().exec(QString::fromLatin1(sql)));
    const QString asSender = server().connectionString() + QStringLiteral(" user=sender");
    {
        PgConnection pg(asSender);
        const PgError e = prepareFailure(pg);
        EXPECT_EQ(e.kind(), PgError::Kind::PermissionDenied) << e.message().toStdString();
    }
    ASSERT_TRUE(server().exec(QStringLiteral("GRANT INSERT, UPDATE ON netzpegel_days TO sender")));
    PgConnection pg(asSender);
    EXPECT_NO_THROW(CentralStatements::prepareTable(pg));
    EXPECT_EQ(CentralStatements::upsertDays(pg, QStringLiteral("h"), QStringLiteral("H"),
                                            {{QStringLiteral("eth"), QStringLiteral("eth0"), QString(), QDate(2026, 1, 1), 5, 6}}),
              1);
    // Deleting is none of its business.
    EXPECT_THROW(pg.exec(QStringLiteral("DELETE FROM netzpegel_days")), PgError);
}

TEST_F(CentralTable, ADaySentAgainChangesNothingAndANewValueReplacesTheOld)
{
    PgConnection pg(server().connectionString());
    CentralStatements::prepareTable(pg);
    std::vector<DayRow> rows{{QStringLiteral("a1"), QStringLiteral("eth0"), QStringLiteral("00-11"), QDate(2026, 1, 1), 10, 20},
                             {QStringLiteral("a1"), QStringLiteral("eth0"), QStringLiteral("00-11"), QDate(2026, 1, 2), 30, 40}};
    EXPECT_EQ(CentralStatements::upsertDays(pg, QStringLiteral("m1"), QStringLiteral("pc"), rows), 2);
    const QStringList before = rowVersions();
    EXPECT_EQ(CentralStatements::upsertDays(pg, QStringLiteral("m1"), QStringLiteral("pc"), rows), 0);
    EXPECT_EQ(rowVersions(), before) << "no row was written again";

    rows[1].received = 31;
    rows[0].adapterName.clear(); // an adapter not present now keeps its stored name and address
    rows[0].mac.clear();
    EXPECT_EQ(CentralStatements::upsertDays(pg, QStringLiteral("m1"), QStringLiteral("pc"), rows), 1);
    EXPECT_EQ(server().query(QStringLiteral("SELECT string_agg(adapter_name || '/' || mac || '/' || received, ',' "
                                            "ORDER BY day) FROM netzpegel_days"))[0][0],
              QStringLiteral("eth0/00-11/10,eth0/00-11/31"));
}

TEST_F(CentralTable, FleetTotalsAreSummedPerHostAndAdapterLargestFirst)
{
    PgConnection pg(server().connectionString());
    CentralStatements::prepareTable(pg);
    CentralStatements::upsertDays(pg, QStringLiteral("id-a"), QStringLiteral("alpha"),
                                  {{"t1", "eth0", "", QDate(2026, 1, 31), 100, 1},
                                   {"t1", "eth0", "", QDate(2026, 2, 1), 200, 2},
                                   {"t2", "wlan0", "", QDate(2026, 2, 2), 5000, 0}});
    CentralStatements::upsertDays(pg, QStringLiteral("id-b"), QStringLiteral("beta"),
                                  {{"t1", "enp3s0", "", QDate(2026, 2, 3), 1000, 1000}});
    const auto all = CentralStatements::fleetTotals(pg, std::nullopt, std::nullopt);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].hostName, QStringLiteral("alpha"));
    EXPECT_EQ(all[0].adapterName, QStringLiteral("wlan0"));
    EXPECT_EQ(all[1].hostId, QStringLiteral("id-b"));
    EXPECT_EQ(all[1].total(), 2000);
    EXPECT_EQ(all[2].received, 300);
    EXPECT_EQ(all[2].sent, 3);
    EXPECT_EQ(all[2].days, 2);

    const auto february = CentralStatements::fleetTotals(pg, QDate(2026, 2, 1), QDate(2026, 2, 2));
    ASSERT_EQ(february.size(), 2u);
    EXPECT_EQ(february[0].total(), 5000);
    EXPECT_EQ(february[1].total(), 202);
    EXPECT_EQ(february[1].days, 1);
    EXPECT_TRUE(CentralStatements::fleetTotals(pg, QDate(2027, 1, 1), std::nullopt).empty());
}

TEST_F(CentralTable, RowsNoDayCanHoldAreNamedNotSummed)
{
    PgConnection pg(server().connectionString());
    CentralStatements::prepareTable(pg);
    // Another program wrote them; our own table would refuse the negative one.
    ASSERT_TRUE(server().exec(QStringLiteral("ALTER TABLE netzpegel_days DROP CONSTRAINT netzpegel_days_bytes")));
    CentralStatements::upsertDays(pg, QStringLiteral("good"), QStringLiteral("fine"), {{"t", "eth0", "", QDate(2026, 1, 1), 1, 1}});
    for (const char* bad : {"-5", "9007199254740993", "9223372036854775807"}) {
        ASSERT_TRUE(server().exec(QStringLiteral("DELETE FROM netzpegel_days WHERE host_id = 'bad'")));
        ASSERT_TRUE(server().exec(QStringLiteral("INSERT INTO netzpegel_days VALUES ('bad', 'broken', 't', 'eth0', '', "
                                                 "'2026-01-01', $1, 0), ('bad', 'broken', 't', 'eth0', '', '2026-01-02', "
                                                 "9223372036854775807, 0)"),
                                  {QString::fromLatin1(bad)}));
        try {
            CentralStatements::fleetTotals(pg, std::nullopt, std::nullopt);
            FAIL() << bad << " was summed";
        } catch (const PgError& e) {
            EXPECT_EQ(e.kind(), PgError::Kind::BadValue);
            EXPECT_TRUE(e.message().contains(QLatin1String("broken (bad) t"))) << e.message().toStdString();
            EXPECT_FALSE(e.message().contains(QLatin1String("fine"))) << e.message().toStdString();
        }
        EXPECT_THROW(CentralStatements::hostDays(pg, QStringLiteral("bad")), PgError) << bad;
    }
    EXPECT_EQ(CentralStatements::hostDays(pg, QStringLiteral("good")).size(), 1u);
}

TEST_F(CentralTable, HostsAreFoundByIdOrElseByName)
{
    PgConnection pg(server().connectionString());
    CentralStatements::prepareTable(pg);
    CentralStatements::upsertDays(pg, QStringLiteral("id-1"), QStringLiteral("laptop"), {{"t", "", "", QDate(2026, 1, 1), 1, 1}});
    CentralStatements::upsertDays(pg, QStringLiteral("id-2"), QStringLiteral("laptop"), {{"t", "", "", QDate(2026, 1, 1), 1, 1}});
    CentralStatements::upsertDays(pg, QStringLiteral("laptop"), QStringLiteral("server"), {{"t", "", "", QDate(2026, 1, 1), 1, 1}});
    const auto byId = CentralStatements::findHosts(pg, QStringLiteral("laptop"));
    ASSERT_EQ(byId.size(), 1u) << "an id comes before a name";
    EXPECT_EQ(byId[0].name, QStringLiteral("server"));
    EXPECT_EQ(CentralStatements::findHosts(pg, QStringLiteral("id-2")).size(), 1u);
    EXPECT_EQ(CentralStatements::findHosts(pg, QStringLiteral("server")).size(), 1u);
    EXPECT_TRUE(CentralStatements::findHosts(pg, QStringLiteral("nobody")).empty());
    ASSERT_TRUE(server().exec(QStringLiteral("DELETE FROM netzpegel_days WHERE host_id = 'laptop'")));
    EXPECT_EQ(CentralStatements::findHosts(pg, QStringLiteral("laptop")).size(), 2u) << "two machines share a name";
}

} // namespace
