// --export and --import of the real executable, with no display: alone and
// while the monitor runs and books.
#include "storage/Database.h"
#include "storage/TrafficStatements.h"
#include "support/TestDatabase.h"
#include "support/e2e/CommandLineRun.h"
#include "support/e2e/E2eTest.h"

#include <QDate>
#include <QDir>
#include <QFile>

namespace {

QString text(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

// A table's rows as comparable text.
QStringList rowsOf(const QString& table)
{
    QStringList rows;
    for (const auto& [day, t] : trafficRows(Database::programDatabasePath(), table))
        rows << QStringLiteral("%1 %2 %3 %4").arg(day).arg(t.received, 0, 'f', 0).arg(t.send, 0, 'f', 0).arg(t.rows);
    return rows;
}

TEST(E2eTableExchange, ExportAndImportRoundTripAndBadInputChangesNothing)
{
    TempHome home;
    {
        Database db(Database::programDatabasePath());
        TrafficStatements::createTrafficTable(db, QStringLiteral("0000000b"));
        TrafficStatements::insertDay(db, QStringLiteral("0000000b"), QDate(2026, 12, 2), 9007199254740992.0, 5);
        TrafficStatements::insertDay(db, QStringLiteral("0000000b"), QDate(2026, 12, 1), 4096, 512);
    }
    const QString file = home.file(QStringLiteral("backup.tab"));
    const CommandLineRun exported = runCommandLine({QStringLiteral("--export"), QStringLiteral("0000000b"), file});
    ASSERT_FALSE(exported.crashed);
    EXPECT_EQ(exported.exitCode, 0) << exported.err.constData();
    EXPECT_TRUE(exported.out.contains("2 days")) << exported.out.constData();
    EXPECT_EQ(home.read(QStringLiteral("backup.tab")),
              QByteArray("12/01/2026\r\n4096\r\n512\r\n12/02/2026\r\n9007199254740992\r\n5\r\n"));

    const CommandLineRun imported = runCommandLine({QStringLiteral("--import"), file, QStringLiteral("copy of b")});
    EXPECT_EQ(imported.exitCode, 0) << imported.err.constData();
    const QStringList copy = rowsOf(QStringLiteral("copy of b"));
    EXPECT_EQ(copy, (QStringList{"2026-12-01 4096 512 1", "2026-12-02 9007199254740992 5 1"}));

    home.write(QStringLiteral("short.tab"), "12/03/2026\r\n1\r\n2\r\n12/04/2026\r\n");
    home.write(QStringLiteral("swapped.tab"), "13/03/2026\r\n1\r\n2\r\n12/05/2026\r\n3\r\n4\r\n");
    const struct
    {
        const char* what;
        QStringList arguments;
        int exitCode;
        const char* err;
    } cases[] = {
        {"3n+1 lines", {"--import", home.file("short.tab"), "copy of b"}, 1, "4 lines"},
        {"no such file", {"--import", home.file("none.tab"), "copy of b"}, 1, "none.tab"},
        {"into db", {"--import", file, "db"}, 1, "database version"},
        {"export of db", {"--export", "db", home.file("db.tab")}, 1, "database version"},
        {"a settings table", {"--export", "0000000b_einstellungen", home.file("x.tab")}, 1, "settings table"},
        {"no such table", {"--export", "nothing", home.file("x.tab")}, 1, "no such table"},
        {"one argument", {"--import", file}, 1, "netzpegel --import FILE TABLE"},
        {"three arguments", {"--export", "a", "b", "c"}, 1, "netzpegel --export TABLE FILE"},
        {"a day that is no date", {"--import", home.file("swapped.tab"), "swapped"}, 0, "line 1"},
    };
    for (const auto& c : cases) {
        const CommandLineRun run = runCommandLine(c.arguments);
        EXPECT_FALSE(run.crashed) << c.what;
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what << ": " << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.err)) << c.what << ": " << run.err.constData();
    }
    EXPECT_EQ(rowsOf(QStringLiteral("copy of b")), copy) << "unchanged";
    EXPECT_EQ(rowsOf(QStringLiteral("swapped")), QStringList{"2026-12-05 3 4 1"});
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("db.tab"))));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("x.tab"))));
    EXPECT_TRUE(text(home.read(QStringLiteral("error.txt"))).contains(QStringLiteral("'13/03/2026'")))
        << "the skipped day is logged as from the window";
}

TEST(E2eTableExchange, AFolderWithoutADatabaseGetsNone)
{
    TempHome home;
    home.write(QStringLiteral("in.tab"), "12/03/2026\r\n1\r\n2\r\n");
    const CommandLineRun run = runCommandLine({QStringLiteral("--import"), home.file(QStringLiteral("in.tab")),
                                               QStringLiteral("t")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("does not exist")) << run.err.constData();
    EXPECT_EQ(QDir(home.folder()).entryList(QDir::Files), QStringList{QStringLiteral("in.tab")});
}

using E2eTableExchangeWhileRunning = E2eTest;

TEST_F(E2eTableExchangeWhileRunning, ImportAndExportWhileTheMonitorCountsAndBooks)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    ProgramRun monitor(sandbox, home.folder());
    ASSERT_TRUE(monitor.waitUntilReady()) << qPrintable(monitor.errorOutput());
    ASSERT_TRUE(countedUpTo(monitor, sandbox.loopback())) << "counting from its first sample";

    home.write(QStringLiteral("old.tab"), "01/15/2020\r\n1000\r\n2000\r\n");
    const CommandLineRun imported = runCommandLine({QStringLiteral("--import"), home.file(QStringLiteral("old.tab")), lo});
    EXPECT_EQ(imported.exitCode, 0) << imported.err.constData();
    const CommandLineRun exported = runCommandLine({QStringLiteral("--export"), lo, home.file(QStringLiteral("lo.tab"))});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.constData();
    EXPECT_TRUE(home.read(QStringLiteral("lo.tab")).startsWith("01/15/2020\r\n1000\r\n2000\r\n"));

    ASSERT_TRUE(sandbox.pushTraffic(20000));
    ASSERT_TRUE(countedUpTo(monitor, sandbox.loopback())) << "the monitor counts on";
    ASSERT_TRUE(monitor.terminate());
    EXPECT_TRUE(monitor.exitedCleanly()) << qPrintable(monitor.errorOutput());
    const auto rows = trafficRows(db(), lo);
    ASSERT_EQ(rows.count(QStringLiteral("2020-01-15")), 1u);
    EXPECT_EQ(rows.at(QStringLiteral("2020-01-15")).received, 1000);
    EXPECT_GE(bookedSinceStart(lo).received, 20000) << "and books the day";
    EXPECT_TRUE(messagesOf(monitor.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(monitor.errorOutput());
}

} // namespace
