// Two machines and one central PostgreSQL server, through the executable from a terminal:
// --sync brings each file's history over with sqlite3's sums and a second --sync changes
// nothing, --fleet adds both up, --stats and --report read one machine from the central
// database, a server stopped in the middle of a --sync loses nothing, and every kind of bad
// input ends with a clear message, exit code 1 and the local file as it was.
#include "base/ProgramFolder.h"
#include "storage/CentralStatements.h"
#include "storage/PgConnection.h"
#include "support/CentralTest.h"
#include "support/PostgresSession.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"
#include "support/XhtmlCheck.h"
#include "support/e2e/CommandLineRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include <map>

namespace {

// A program folder of a machine of its own, dial-up only (the entry list is the same on
// every machine), its settings naming the central database.
struct Machine
{
    Machine(const QString& machineId, const QString& central)
        : id(machineId)
    {
        layDownShippedFiles(folder());
        setCentral(central);
    }

    QString folder() const { return dir.path() + QLatin1Char('/'); }
    QString db() const { return folder() + QStringLiteral("Datenbank.mdb"); }
    void setCentral(const QString& central) const
    {
        QFile ini(folder() + QStringLiteral("netzpegel.ini"));
        ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
        ini.write("[Allgemein]\nnic_engine=0\n");
        if (!central.isNull())
            ini.write("Zentrale=" + central.toUtf8() + "\n");
        ini.write("[Berichte]\nComboBoxIndex=0\n");
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("NETZPEGEL_HOME"), dir.path());
        if (id.isNull())
            env.remove(QStringLiteral("NETZPEGEL_MACHINE_ID"));
        else
            env.insert(QStringLiteral("NETZPEGEL_MACHINE_ID"), id);
        return env;
    }

    CommandLineRun run(const QStringList& arguments) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(NETZPEGEL_EXE), arguments);
        CommandLineRun r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
        }
        r.crashed = p.exitStatus() != QProcess::NormalExit;
        r.exitCode = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    // sqlite3's own sums of a table of the file: received, sent, days.
    std::array<qint64, 3> sqliteSums(const QString& table) const
    {
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"),
                     {QStringLiteral("-readonly"), db(),
                      QStringLiteral("SELECT CAST(SUM(received) AS INTEGER), CAST(SUM(send) AS INTEGER), "
                                     "COUNT(DISTINCT Datum) FROM \"%1\"")
                          .arg(table)});
        EXPECT_TRUE(sqlite.waitForFinished(30000));
        const QList<QByteArray> parts = sqlite.readAllStandardOutput().trimmed().split('|');
        return {parts.value(0).toLongLong(), parts.value(1).toLongLong(), parts.value(2).toLongLong()};
    }

    QString id;
    QTemporaryDir dir;
};

std::vector<StoredRow> history(const QDate& first, int days, quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<StoredRow> rows;
    for (int i = 0; i < days; ++i)
        rows.push_back({first.addDays(i).toString(Qt::ISODate), static_cast<double>(random.bounded(Q_INT64_C(8000000000))),
                        static_cast<double>(random.bounded(Q_INT64_C(700000000)))});
    return rows;
}

class E2eCentral : public CentralTest
{
protected:
    QString yesterday() const { return QDate::currentDate().addDays(-1).toString(Qt::ISODate); }
};

TEST_F(E2eCentral, TwoMachinesHistoriesMeetOnceAndTheFleetAddsThemUp)
{
    Machine a(QStringLiteral("machine-a"), server().connectionString());
    Machine b(QStringLiteral("machine-b"), server().connectionString());
    const QDate end = QDate::currentDate().addDays(-1);
    ASSERT_TRUE(storeTrafficRows(a.db(), QStringLiteral("dfu"), history(end.addDays(-729), 730, 1)));
    ASSERT_TRUE(storeTrafficRows(a.db(), QStringLiteral("0000000a"), history(end.addDays(-1094), 1095, 2)));
    // An old fault left two rows of one day: the central table has the day once, with both.
    ASSERT_TRUE(storeTrafficRows(a.db(), QStringLiteral("0000000a"), {{end.addDays(-3).toString(Qt::ISODate), 3042.0, 1024.0}}));
    ASSERT_TRUE(storeTrafficRows(b.db(), QStringLiteral("dfu"), history(end.addDays(-364), 365, 3)));
    ASSERT_TRUE(storeTrafficRows(b.db(), QStringLiteral("00000007"), history(end.addDays(-500), 501, 4)));
    const std::map<QString, std::pair<const Machine*, QStringList>> machines{
        {a.id, {&a, {QStringLiteral("dfu"), QStringLiteral("0000000a")}}},
        {b.id, {&b, {QStringLiteral("dfu"), QStringLiteral("00000007")}}}};

    for (const Machine* m : {&a, &b}) {
        const CommandLineRun sync = m->run({QStringLiteral("--sync")});
        ASSERT_FALSE(sync.crashed);
        ASSERT_EQ(sync.exitCode, 0) << sync.err.constData();
        EXPECT_TRUE(sync.out.contains(" days sent to the central database")) << sync.out.constData();
        EXPECT_TRUE(sync.err.isEmpty()) << sync.err.constData();
    }
    qint64 everything = 0;
    for (const auto& [id, machine] : machines) {
        for (const QString& table : machine.second) {
            const auto local = machine.first->sqliteSums(table);
            EXPECT_EQ(centralSums(id, table), local) << id.toStdString() << " " << table.toStdString();
            everything += local[0] + local[1];
        }
    }

    // Sent again: nothing owed, nothing written.
    const QStringList versions = rowVersions();
    const CommandLineRun again = a.run({QStringLiteral("--sync")});
    EXPECT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_TRUE(again.out.startsWith("0 days sent")) << again.out.constData();
    const CommandLineRun all = a.run({QStringLiteral("--sync"), QStringLiteral("--all")});
    EXPECT_EQ(all.exitCode, 0) << all.err.constData();
    EXPECT_TRUE(all.out.contains("1825 days sent to the central database, 0 of them new or changed"))
        << all.out.constData();
    EXPECT_EQ(rowVersions(), versions);

    const CommandLineRun fleet = b.run({QStringLiteral("--fleet"), QStringLiteral("--json")});
    ASSERT_EQ(fleet.exitCode, 0) << fleet.err.constData();
    const QJsonArray list = QJsonDocument::fromJson(fleet.out).array();
    ASSERT_EQ(list.size(), 4) << fleet.out.constData();
    qint64 fleetTotal = 0;
    qint64 previous = std::numeric_limits<qint64>::max();
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        const QString id = o[QLatin1String("host_id")].toString();
        ASSERT_TRUE(machines.count(id)) << id.toStdString();
        const auto local = machines.at(id).first->sqliteSums(o[QLatin1String("adapter")].toString());
        EXPECT_EQ(o[QLatin1String("received")].toInteger(), local[0]);
        EXPECT_EQ(o[QLatin1String("sent")].toInteger(), local[1]);
        EXPECT_EQ(o[QLatin1String("days")].toInteger(), local[2]);
        EXPECT_EQ(o[QLatin1String("total")].toInteger(), local[0] + local[1]);
        EXPECT_LE(o[QLatin1String("total")].toInteger(), previous) << "largest total first";
        previous = o[QLatin1String("total")].toInteger();
        fleetTotal += previous;
    }
    EXPECT_EQ(fleetTotal, everything);
    const CommandLineRun table = a.run({QStringLiteral("--fleet"), QStringLiteral("--from"), yesterday()});
    EXPECT_EQ(table.exitCode, 0) << table.err.constData();
    EXPECT_EQ(table.out.count('\n'), 5) << "a heading and four adapters: " << table.out.constData();
    EXPECT_TRUE(table.out.contains("(machine-a)")) << "two machines of one name, told apart by their ids";

    // One machine's days read from another machine's folder are the days of its own file.
    const CommandLineRun own = a.run({QStringLiteral("--stats"), QStringLiteral("dfu"), QStringLiteral("--json")});
    const CommandLineRun fromCentral =
        b.run({QStringLiteral("--stats"), QStringLiteral("dfu"), QStringLiteral("--host"), a.id, QStringLiteral("--json")});
    ASSERT_EQ(fromCentral.exitCode, 0) << fromCentral.err.constData();
    EXPECT_EQ(fromCentral.out, own.out);
    const CommandLineRun byName = b.run({QStringLiteral("--stats"), QStringLiteral("0000000a"), QStringLiteral("--host"),
                                         QSysInfo::machineHostName()});
    EXPECT_EQ(byName.exitCode, 1) << "both machines run on this host name";
    EXPECT_TRUE(byName.err.contains("2 hosts are named")) << byName.err.constData();

    const QString report = b.folder() + QStringLiteral("a.htm");
    const CommandLineRun written = b.run({QStringLiteral("--report"), report, QStringLiteral("--host"), a.id});
    ASSERT_EQ(written.exitCode, 0) << written.err.constData();
    EXPECT_TRUE(written.out.contains("(0000000a)...")) << written.out.constData();
    EXPECT_TRUE(written.out.contains("(dfu)...")) << written.out.constData();
    EXPECT_EQ(xhtmlProblems(report), QString());
}

TEST_F(E2eCentral, ASyncWhoseServerStopsInTheMiddleLosesNothingAndSendsTheRestOnce)
{
    Machine a(QStringLiteral("machine-a"), server().connectionString());
    ASSERT_TRUE(storeTrafficRows(a.db(), QStringLiteral("dfu"), history(QDate(2020, 1, 1), 2000, 7)));
    ASSERT_TRUE(storeTrafficRows(a.db(), QStringLiteral("00000002"), history(QDate(2020, 1, 1), 4000, 8)));
    const auto before = a.sqliteSums(QStringLiteral("00000002"));
    {
        PgConnection owner(server().connectionString());
        CentralStatements::prepareTable(owner);
    }
    PostgresSession lock(server().connectionString());
    ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN")));
    ASSERT_TRUE(lock.exec(QStringLiteral("LOCK TABLE netzpegel_days IN EXCLUSIVE MODE")));
    QProcess sync;
    sync.setProcessEnvironment(a.environment());
    sync.start(QStringLiteral(NETZPEGEL_EXE), {QStringLiteral("--sync")});
    ASSERT_TRUE(waitFor([&] {
        return server()
                   .query(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND "
                                         "query LIKE 'INSERT INTO netzpegel_days%'"))
                   .value(0)
                   .value(0)
            == QLatin1String("1");
    })) << "the --sync waits in the middle of its first batch";
    ASSERT_TRUE(server().stop(QStringLiteral("immediate")));
    ASSERT_TRUE(sync.waitForFinished(60000));
    EXPECT_EQ(sync.exitCode(), 1);
    EXPECT_TRUE(sync.readAllStandardError().contains("cannot be reached"));
    EXPECT_EQ(a.sqliteSums(QStringLiteral("00000002")), before) << "the local days are as they were";

    ASSERT_TRUE(server().start());
    const CommandLineRun rest = a.run({QStringLiteral("--sync")});
    ASSERT_EQ(rest.exitCode, 0) << rest.err.constData();
    EXPECT_TRUE(rest.out.contains("sent 5000 of 6000 days")) << rest.out.constData();
    for (const QString& table : {QStringLiteral("dfu"), QStringLiteral("00000002")})
        EXPECT_EQ(centralSums(a.id, table), a.sqliteSums(table)) << table.toStdString();
}

struct BadInput
{
    const char* what;
    std::function<QString(PostgresServer&)> central; // the setting; a null text: none
    const char* machineId;                           // nullptr: the variable unset
    QStringList arguments;
    const char* says;
};

TEST_F(E2eCentral, BadInputEndsWithAClearMessageExitCode1AndTheLocalFileAsItWas)
{
    QTcpServer silent; // takes connections and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const int silentPort = silent.serverPort();
    ASSERT_TRUE(server().exec(QStringLiteral("DROP ROLE IF EXISTS fleet"), {}, nullptr, QStringLiteral("postgres")));
    ASSERT_TRUE(server().exec(QStringLiteral("CREATE ROLE fleet LOGIN PASSWORD 'right'"), {}, nullptr, QStringLiteral("postgres")));
    const auto own = [](PostgresServer& s) { return s.connectionString(); };
    const std::vector<BadInput> cases{
        {"no central database set", [](PostgresServer&) { return QString(); }, "m", {"--sync"}, "no central database is set"},
        {"a setting that is no connection string", [](PostgresServer&) { return QStringLiteral("this is not one"); },
         "m", {"--fleet"}, "no connection string"},
        {"an empty machine id", own, "", {"--sync"}, "machine id"},
        {"a wrong password",
         [](PostgresServer& s) { return s.tcpConnectionString(QStringLiteral("fleet"), QStringLiteral("password=wrong")); },
         "m", {"--fleet"}, "refused the login"},
        {"a database that is not there",
         [](PostgresServer& s) { return s.connectionString(QStringLiteral("fehlt")); }, "m", {"--sync"},
         "does not exist"},
        {"sslmode=require against a server without TLS",
         [](PostgresServer& s) {
             return s.tcpConnectionString(QStringLiteral("fleet"), QStringLiteral("password=right sslmode=require"));
         },
         "m", {"--sync"}, "encrypted"},
        {"a server that never answers",
         [silentPort](PostgresServer&) {
             return QStringLiteral("host=127.0.0.1 port=%1 dbname=x connect_timeout=1").arg(silentPort);
         },
         "m", {"--fleet"}, "did not answer in time"},
        {"a central table of another shape",
         [](PostgresServer& s) {
             s.exec(QStringLiteral("CREATE TABLE netzpegel_days (host_id text, day date)"));
             return s.connectionString();
         },
         "m", {"--sync"}, "not as this program needs it"},
        {"rows of negative values in the central table",
         [](PostgresServer& s) {
             PgConnection pg(s.connectionString());
             CentralStatements::prepareTable(pg);
             s.exec(QStringLiteral("ALTER TABLE netzpegel_days DROP CONSTRAINT netzpegel_days_bytes"));
             s.exec(QStringLiteral("INSERT INTO netzpegel_days VALUES ('x', 'y', 't', '', '', '2026-01-01', -1, 0)"));
             return s.connectionString();
         },
         "m", {"--fleet"}, "values no day can hold"},
        {"a central database nothing was sent to", own, "m", {"--fleet"}, "no machine has sent to it"},
        {"a host nobody knows",
         [](PostgresServer& s) {
             PgConnection pg(s.connectionString());
             CentralStatements::prepareTable(pg);
             return s.connectionString();
         },
         "m", {"--stats", "dfu", "--host", "niemand"}, "no host with the id or name"},
        {"a date that is none", own, "m", {"--fleet", "--from", "2026-02-30"}, "YYYY-MM-DD"},
        {"an argument --sync does not take", own, "m", {"--sync", "--alles"}, "unexpected"},
    };
    for (const BadInput& c : cases) {
        ASSERT_TRUE(server().resetDatabase());
        Machine m(c.machineId ? QString::fromLatin1(c.machineId) : QString(), c.central(server()));
        ASSERT_TRUE(storeTrafficRows(m.db(), QStringLiteral("dfu"), history(QDate(2026, 1, 1), 20, 9)));
        const auto before = m.sqliteSums(QStringLiteral("dfu"));
        const CommandLineRun run = m.run(c.arguments);
        EXPECT_FALSE(run.crashed) << c.what;
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_TRUE(run.err.contains(c.says)) << c.what << ": " << run.err.constData();
        EXPECT_EQ(m.sqliteSums(QStringLiteral("dfu")), before) << c.what;
        EXPECT_EQ(integrityCheck(m.db()), QStringLiteral("ok")) << c.what;
        EXPECT_FALSE(QFile::exists(m.folder() + QStringLiteral("netzpegel.cache"))) << c.what;
    }
}

} // namespace
