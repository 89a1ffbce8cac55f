// The libpq connection against a real server of the test's own: texts arrive byte for byte,
// every kind of bad connection gets its own kind of failure, and nothing waits without bound.
#include "storage/CentralStatements.h"
#include "storage/PgConnection.h"
#include "storage/PgError.h"
#include "support/CentralTest.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

class CentralConnection : public CentralTest
{
protected:
    void SetUp() override
    {
        CentralTest::SetUp();
        ASSERT_TRUE(server().exec(QStringLiteral("DROP ROLE IF EXISTS fleet"), {}, nullptr, QStringLiteral("postgres")));
        ASSERT_TRUE(server().exec(QStringLiteral("CREATE ROLE fleet LOGIN PASSWORD 'right'"), {}, nullptr,
                                  QStringLiteral("postgres")));
    }

    // The failure of opening `connection`; Other with "opened" when it opened.
    static PgError failureOf(const QString& connection, PgConnection::Options options = {})
    {
        PgConnection pg(connection, options);
        try {
            pg.open();
        } catch (const PgError& e) {
            EXPECT_FALSE(pg.isOpen());
            return e;
        }
        return PgError(PgError::Kind::Other, QStringLiteral("opened"));
    }
};

TEST_F(CentralConnection, NamesWithQuotesBackslashesAndNonAsciiArriveUnchanged)
{
    const QStringList names{QStringLiteral("O'Brien \"eth0\""), QStringLiteral("C:\\back\\\\slash\\"),
                            QStringLiteral("Wärme-Küche ☃ 𝄞"), QStringLiteral("{braces},commas, and spaces"),
                            QStringLiteral("NULL"), QString(), QStringLiteral("tab\there; DROP TABLE x; --")};
    PgConnection pg(server().connectionString());
    CentralStatements::prepareTable(pg);
    std::vector<CentralStatements::DayRow> rows;
    for (qsizetype i = 0; i < names.size(); ++i)
        rows.push_back({names[i] + QStringLiteral("#") + QString::number(i), names[i], names[i], QDate(2026, 3, 1),
                        i * 1000, i});
    const QString host = QStringLiteral("host \"mit\" 'Anführung' \\");
    EXPECT_EQ(CentralStatements::upsertDays(pg, host, host, rows), names.size());

    const auto stored = server().query(QStringLiteral("SELECT adapter, adapter_name, mac, host_id, host_name, received "
                                                      "FROM netzpegel_days ORDER BY received"));
    ASSERT_EQ(stored.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        EXPECT_EQ(stored[i][0], names[i] + QStringLiteral("#") + QString::number(i));
        EXPECT_EQ(stored[i][1], names[i]) << "NULL or the empty text would show here";
        EXPECT_EQ(stored[i][2], names[i]);
        EXPECT_EQ(stored[i][3], host);
        EXPECT_EQ(stored[i][4], host);
    }
    // Read back through the same class, the texts are the same too.
    const auto back = pg.query(QStringLiteral("SELECT adapter_name FROM netzpegel_days WHERE adapter = $1"),
                               {names[2] + QStringLiteral("#2")});
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].text(QStringLiteral("adapter_name")), names[2]);
}

struct BadConnection
{
    const char* what;
    std::function<QString(const PostgresServer&, int silentPort)> connection;
    PgError::Kind kind;
    const char* detail; // in libpq's or the server's words
};

TEST_F(CentralConnection, EachBadConnectionFailsWithItsKindAndTheServersWords)
{
    // A port that takes connections and never answers: a server that hangs.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const int closedPort = probe.serverPort();
    probe.close(); // nothing listens there now

    QTemporaryDir dir;
    const QString emptyPassFile = dir.filePath(QStringLiteral("pgpass"));
    QFile f(emptyPassFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QFile::setPermissions(emptyPassFile, QFile::ReadOwner | QFile::WriteOwner);
    qputenv("PGPASSFILE", emptyPassFile.toUtf8());

    const std::vector<BadConnection> cases{
        {"no connection string", [](const PostgresServer&, int) { return QStringLiteral("this is not one"); },
         PgError::Kind::BadConnectionString, "missing \"=\""},
        {"an URI that ends too early", [](const PostgresServer&, int) { return QStringLiteral("postgresql://[::1"); },
         PgError::Kind::BadConnectionString, "IPv6"},
        {"a wrong password",
         [](const PostgresServer& s, int) { return s.tcpConnectionString(QStringLiteral("fleet"), "password=wrong"); },
         PgError::Kind::AuthenticationFailed, "password authentication failed"},
        {"no password anywhere",
         [](const PostgresServer& s, int) { return s.tcpConnectionString(QStringLiteral("fleet")); },
         PgError::Kind::NoPassword, "no password"},
        {"a database that is not there",
         [](const PostgresServer& s, int) { return s.connectionString(QStringLiteral("gibt_es_nicht")); },
         PgError::Kind::DatabaseMissing, "gibt_es_nicht"},
        {"sslmode=require against a server without TLS",
         [](const PostgresServer& s, int) {
             return s.tcpConnectionString(QStringLiteral("fleet"), "password=right sslmode=require");
         },
         PgError::Kind::SslRefused, "SSL"},
        {"a port nobody listens on",
         [closedPort](const PostgresServer&, int) {
             return QStringLiteral("host=127.0.0.1 port=%1 dbname=netzpegel").arg(closedPort);
         },
         PgError::Kind::Unreachable, "refused"},
        {"a server that never answers",
         [](const PostgresServer&, int port) {
             return QStringLiteral("host=127.0.0.1 port=%1 dbname=netzpegel connect_timeout=1").arg(port);
         },
         PgError::Kind::Timeout, "time"},
    };
    for (const BadConnection& c : cases) {
        const PgError e = failureOf(c.connection(server(), silent.serverPort()));
        EXPECT_EQ(e.kind(), c.kind) << c.what << ": " << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QLatin1String(c.detail), Qt::CaseInsensitive))
            << c.what << ": " << e.message().toStdString();
    }
    qunsetenv("PGPASSFILE");
}

TEST_F(CentralConnection, ThePasswordComesFromThePasswordFile)
{
    QTemporaryDir dir;
    const QString passFile = dir.filePath(QStringLiteral("pgpass"));
    QFile f(passFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("127.0.0.1:%1:netzpegel:fleet:right\n").arg(server().port()).toUtf8());
    f.close();
    QFile::setPermissions(passFile, QFile::ReadOwner | QFile::WriteOwner);
    qputenv("PGPASSFILE", passFile.toUtf8());
    PgConnection pg(server().tcpConnectionString(QStringLiteral("fleet")));
    EXPECT_NO_THROW(pg.open());
    EXPECT_TRUE(pg.isOpen());
    qunsetenv("PGPASSFILE");
}

TEST_F(CentralConnection, WithoutATimeoutOfItsOwnTheDefaultBoundsTheWait)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    PgConnection::Options options;
    options.defaultConnectTimeoutSeconds = 1;
    for (const char* timeout : {"", " connect_timeout=0"}) {
        const PgError e = failureOf(
            QStringLiteral("host=127.0.0.1 port=%1 dbname=x%2").arg(silent.serverPort()).arg(QLatin1String(timeout)),
            options);
        EXPECT_EQ(e.kind(), PgError::Kind::Timeout) << timeout << ": " << e.message().toStdString();
    }
}

TEST_F(CentralConnection, AnAbortEndsAWaitForAServerThatNeverAnswers)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    PgConnection pg(QStringLiteral("host=127.0.0.1 port=%1 dbname=x connect_timeout=600").arg(silent.serverPort()));
    int asked = 0;
    pg.setAbortCheck([&asked] { return ++asked > 3; });
    try {
        pg.open();
        FAIL() << "opened a connection to a port that never answers";
    } catch (const PgError& e) {
        EXPECT_EQ(e.kind(), PgError::Kind::Aborted) << e.message().toStdString();
    }
    EXPECT_EQ(asked, 4);
}

TEST_F(CentralConnection, AConnectionLostToAStoppedServerIsMadeAgainOnceItRuns)
{
    PgConnection pg(server().connectionString());
    EXPECT_EQ(pg.query(QStringLiteral("SELECT 1 AS one")).value(0).toInt64(QStringLiteral("one")), 1);
    ASSERT_TRUE(server().stop(QStringLiteral("immediate")));
    try {
        pg.query(QStringLiteral("SELECT 1 AS one"));
        FAIL() << "a stopped server answered";
    } catch (const PgError& e) {
        EXPECT_EQ(e.kind(), PgError::Kind::Unreachable) << e.message().toStdString();
    }
    EXPECT_FALSE(pg.isOpen());
    ASSERT_TRUE(server().start());
    EXPECT_EQ(pg.query(QStringLiteral("SELECT $1::int + 1 AS two"), {1}).value(0).toInt64(QStringLiteral("two")), 2);
}

TEST_F(CentralConnection, AFailingStatementCarriesItsSqlState)
{
    PgConnection pg(server().connectionString());
    try {
        pg.exec(QStringLiteral("SELECT * FROM netzpegel_days"));
        FAIL() << "a missing table was read";
    } catch (const PgError& e) {
        EXPECT_EQ(e.sqlState(), QStringLiteral("42P01"));
        EXPECT_EQ(e.kind(), PgError::Kind::TableShape);
    }
    EXPECT_TRUE(pg.isOpen()) << "a failed statement keeps the connection";
}

} // namespace
