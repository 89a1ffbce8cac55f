#include "support/CentralTest.h"

#include <memory>

namespace {

std::unique_ptr<PostgresServer> shared;

// Stops the shared server at the end of the run, while Qt is still there to run pg_ctl.
class SharedServerEnd : public ::testing::Environment
{
public:
    void TearDown() override { shared.reset(); }
};

[[maybe_unused]] ::testing::Environment* const sharedServerEnd = ::testing::AddGlobalTestEnvironment(new SharedServerEnd);

} // namespace

PostgresServer& CentralTest::server()
{
    if (!shared || (!shared->ok() && !shared->running()))
        shared = std::make_unique<PostgresServer>();
    return *shared;
}

void CentralTest::SetUp()
{
    PostgresServer& s = server();
    ASSERT_TRUE(s.ok()) << "no PostgreSQL server for the test: " << s.error().toStdString();
    if (!s.running()) {
        ASSERT_TRUE(s.start()) << s.error().toStdString();
    }
    ASSERT_TRUE(s.resetDatabase()) << "the database netzpegel cannot be made again";
}

std::array<qint64, 3> CentralTest::centralSums(const QString& hostId, const QString& adapter)
{
    const auto rows = server().query(QStringLiteral("SELECT coalesce(sum(received), 0), coalesce(sum(sent), 0), count(*) "
                                                    "FROM netzpegel_days WHERE host_id = $1 AND adapter = $2"),
                                     {hostId, adapter});
    if (rows.isEmpty())
        return {-1, -1, -1};
    return {rows[0][0].toLongLong(), rows[0][1].toLongLong(), rows[0][2].toLongLong()};
}

QStringList CentralTest::rowVersions()
{
    QStringList versions;
    for (const QStringList& row : server().query(QStringLiteral("SELECT ctid::text || ' ' || xmin::text FROM netzpegel_days "
                                                                "ORDER BY host_id, adapter, day")))
        versions << row.value(0);
    return versions;
}
