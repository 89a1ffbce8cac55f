// --stats and --report from a terminal without a display: the figures against
// what sqlite3 sums on the same file, today's running totals from the counter
// cache, the report with the saved options, and not a byte written elsewhere.
#include "base/ProgramFolder.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"
#include "support/XhtmlCheck.h"
#include "support/e2e/CommandLineRun.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <map>

namespace {

QString iso(const QDate& d) { return d.toString(Qt::ISODate); }

qint64 figure(const QJsonObject& json, const char* group, const char* direction)
{
    return json[QLatin1String(group)].toObject()[QLatin1String(direction)].toInteger();
}

class E2eStatsReport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        layDownShippedFiles(home.folder());
        // Dial-up only: the entry list is the same on every machine.
        home.write("netzpegel.ini", "[Allgemein]\r\nnic_engine=0\r\nCacheInterval=5\r\n");
    }

    QString db() const { return home.file("Datenbank.mdb"); }

    // sqlite3's own figures for the rows of `where`.
    std::vector<qint64> sqliteFigures(const QString& table, const QString& where)
    {
        QProcess sqlite;
        sqlite.start("sqlite3", {"-readonly", db(),
                                 QStringLiteral("SELECT CAST(SUM(received) AS INTEGER), CAST(SUM(send) AS INTEGER), "
                                                "CAST(ROUND(AVG(received)) AS INTEGER), CAST(ROUND(AVG(send)) AS "
                                                "INTEGER), COUNT(*) FROM \"%1\" %2")
                                     .arg(table, where)});
        EXPECT_TRUE(sqlite.waitForFinished(30000));
        std::vector<qint64> figures;
        for (const QByteArray& part : sqlite.readAllStandardOutput().trimmed().split('|'))
            figures.push_back(part.toLongLong());
        return figures;
    }

    QJsonObject stats(const QStringList& arguments)
    {
        const CommandLineRun run = runCommandLine(QStringList{"--stats"} + arguments + QStringList{"--json"});
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        lastErr = run.err;
        return QJsonDocument::fromJson(run.out).object();
    }

    // Every file of the program folder with a digest of its bytes.
    std::map<QString, QByteArray> folderState() const
    {
        std::map<QString, QByteArray> state;
        QDirIterator it(home.folder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            state[QDir(home.folder()).relativeFilePath(path)] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
        }
        return state;
    }

    void writeCache(const QDate& day, qint64 send, qint64 received)
    {
        home.write("netzpegel.cache", QByteArray::number(QDate(1899, 12, 30).daysTo(day)) + "\r\n0\r\n"
                                          + QByteArray::number(send) + "\r\n" + QByteArray::number(received) + "\r\n");
    }

    TempHome home;
    QByteArray lastErr;
};

TEST_F(E2eStatsReport, StatsTotalsAndAveragesAreWhatSqliteSums)
{
    std::vector<StoredRow> rows;
    QRandomGenerator random(42);
    for (QDate d(2025, 1, 1); d < QDate(2026, 2, 10); d = d.addDays(1 + random.bounded(3)))
        rows.push_back({iso(d), double(random.bounded(1000000000000LL)), double(random.bounded(5000000000LL))});
    ASSERT_TRUE(storeTrafficRows(db(), "dfu", rows));
    struct Range
    {
        QStringList arguments;
        QString where;
    };
    const Range ranges[] = {
        {{}, ""},
        {{"--from", "2025-06-01"}, "WHERE Datum >= '2025-06-01'"},
        {{"--to", "2025-03-31"}, "WHERE Datum <= '2025-03-31'"},
        {{"--from", "2025-12-01", "--to", "2025-12-31"}, "WHERE Datum >= '2025-12-01' AND Datum <= '2025-12-31'"},
        {{"--from", "2027-01-01"}, "WHERE Datum >= '2027-01-01'"},
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.arguments.join(' ').toStdString());
        const QJsonObject json = stats(QStringList{"dfu"} + r.arguments);
        const std::vector<qint64> expected = sqliteFigures("dfu", r.where);
        ASSERT_EQ(expected.size(), 5u);
        EXPECT_EQ(json["adapter"].toString(), "dfu");
        EXPECT_EQ(json["name"].toString(), "DFÜ-Verbindung");
        EXPECT_EQ(figure(json, "total", "received"), expected[0]);
        EXPECT_EQ(figure(json, "total", "sent"), expected[1]);
        EXPECT_EQ(figure(json, "average", "received"), expected[2]);
        EXPECT_EQ(figure(json, "average", "sent"), expected[3]);
        EXPECT_EQ(json["days"].toArray().size(), expected[4]);
    }
    const QJsonObject december = stats({"DFÜ-Verbindung", "--from", "2025-12-01", "--to", "2025-12-31"});
    EXPECT_EQ(december["from"].toString(), "2025-12-01");
    EXPECT_EQ(december["to"].toString(), "2025-12-31");
    const QJsonObject first = december["days"].toArray().first().toObject();
    EXPECT_TRUE(first["date"].toString().startsWith("2025-12-0"));
    EXPECT_TRUE(first["received"].isDouble());
    EXPECT_TRUE(stats({"dfu"})["from"].isNull()) << "no limit";
}

TEST_F(E2eStatsReport, TodaysRowAddsTheRunningTotalsOfTodaysCache)
{
    const QDate today = QDate::currentDate();
    ASSERT_TRUE(storeTrafficRows(db(), "dfu", {{iso(today.addDays(-1)), 700.0, 70.0}, {iso(today), 1000.0, 100.0}}));
    writeCache(today, 24, 2500);
    QJsonObject json = stats({"dfu"});
    const QJsonArray days = json["days"].toArray();
    ASSERT_EQ(days.size(), 2);
    EXPECT_EQ(days[1].toObject()["date"].toString(), iso(today));
    EXPECT_EQ(days[1].toObject()["received"].toInteger(), 3500);
    EXPECT_EQ(days[1].toObject()["sent"].toInteger(), 124);
    EXPECT_EQ(days[0].toObject()["received"].toInteger(), 700) << "other days as stored";
    EXPECT_EQ(figure(json, "total", "received"), 4200);

    // The cache of another day holds totals booked already or owed to that day.
    writeCache(today.addDays(-1), 24, 2500);
    EXPECT_EQ(figure(stats({"dfu"}), "total", "received"), 1700);

    // Adapters counted too: the cache's one group no longer matches the entries.
    writeCache(today, 24, 2500);
    home.write("netzpegel.ini", "[Allgemein]\r\nnic_engine=1\r\n");
    EXPECT_EQ(figure(stats({"dfu"}), "total", "received"), 1700);
    EXPECT_TRUE(lastErr.contains("cache")) << lastErr.constData();
}

// The running window took adapters on and lost others: its cache's groups no
// longer follow the adapters of a start, and the counters file beside it names them.
TEST_F(E2eStatsReport, TodaysRunningTotalsAreFoundByTheAdapterTheCountersFileNames)
{
    const QDate today = QDate::currentDate();
    ASSERT_TRUE(storeTrafficRows(db(), "dfu", {{iso(today), 1000.0, 100.0}}));
    home.write("netzpegel.ini", "[Allgemein]\r\nnic_engine=1\r\n");
    const QByteArray cache = QByteArray::number(QDate(1899, 12, 30).daysTo(today))
        + "\r\n0\r\n1\r\n2\r\n1\r\n24\r\n2500\r\n2\r\n5\r\n6\r\n3\r\n7\r\n8\r\n";
    home.write("netzpegel.cache", cache);
    home.write("netzpegel.cache.counters", "some-boot\n" + QCryptographicHash::hash(cache, QCryptographicHash::Sha256).toHex()
                                               + "\n0000abcd 10 20\ndfu\n0000ffff\n7fff0001 3 4\n");
    const QJsonObject json = stats({"dfu"});
    EXPECT_EQ(figure(json, "total", "received"), 3500) << lastErr.constData();
    EXPECT_EQ(figure(json, "total", "sent"), 124);
    EXPECT_FALSE(lastErr.contains("cache")) << lastErr.constData();

    // Written with another cache: the names say nothing about this one.
    home.write("netzpegel.cache.counters", "some-boot\nffff\n0000abcd\ndfu\n0000ffff\n7fff0001\n");
    EXPECT_EQ(figure(stats({"dfu"}), "total", "received"), 1000);
}

TEST_F(E2eStatsReport, ReportWithTheSavedOptionsIsValidAndNothingElseIsWritten)
{
    ASSERT_TRUE(storeTrafficRows(db(), "dfu", {{"2026-02-20", 3042.0, 1024.0}, {"2026-03-20", 1.0, 2.0}}));
    ASSERT_TRUE(QDir(home.folder()).mkdir("berichte"));
    home.write("netzpegel.ini", "[Allgemein]\r\nnic_engine=0\r\n[Berichte]\r\nComboBoxIndex=0\r\nEigenerbericht=1\r\n"
                                "Eigenerbericht_von=15\r\nEigenerbericht_bis=14\r\nPfad="
                                    + home.file("berichte/monat.htm").toUtf8() + "\r\n");
    home.write("netzpegel.cache", "46000\r\n0\r\n1\r\n2\r\n");
    const auto before = folderState();

    // The program writes dates and amounts as the user's regional settings say.
    const QByteArray locale = qgetenv("LC_ALL");
    qputenv("LC_ALL", "de_DE.UTF-8");
    CommandLineRun run = runCommandLine({"--report"});
    qputenv("LC_ALL", locale);
    ASSERT_FALSE(run.crashed);
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.contains("Erstelle Bericht für DFÜ-Verbindung(dfu)...")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("Bericht gespeichert (" + home.file("berichte/monat.htm").toUtf8() + ")"));
    EXPECT_EQ(xhtmlProblems(home.file("berichte/monat.htm")), QString());
    const QByteArray report = home.read("berichte/monat.htm");
    EXPECT_TRUE(report.contains("<tr align=\"right\"><td>15.02.2026 - 14.03.2026</td><td>3042,00</td><td>1024,00</td>"
                                "<td>100,00</td><td>33,66</td></tr>"))
        << report.constData();
    EXPECT_TRUE(report.contains("in Byte</p>"));

    run = runCommandLine({"--stats", "dfu"});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.contains("20.02.2026")) << run.out.constData();

    // Only the report and its style sheet are new; the database may get SQLite's
    // shared-memory files beside it, never a changed byte.
    auto after = folderState();
    EXPECT_TRUE(after.erase("berichte/monat.htm"));
    EXPECT_TRUE(after.erase("berichte/style.css"));
    after.erase("Datenbank.mdb-wal");
    after.erase("Datenbank.mdb-shm");
    EXPECT_EQ(after, before);
}

TEST_F(E2eStatsReport, ReportToAFileOrFailingClearlyWithTheEarlierReportKept)
{
    ASSERT_TRUE(storeTrafficRows(db(), "dfu", {{"2026-02-20", 3042.0, 1024.0}}));
    CommandLineRun run = runCommandLine({"--report"});
    EXPECT_EQ(run.exitCode, 1);
    // The report's log, failures included, speaks the user's language, here German.
    EXPECT_TRUE(run.err.contains("Für den Bericht ist kein Dateiname angegeben.")) << run.err.constData();

    run = runCommandLine({"--report", home.file("eigen.htm")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(xhtmlProblems(home.file("eigen.htm")), QString());
    const QByteArray good = home.read("eigen.htm");

    ASSERT_TRUE(storeTrafficRows(db(), "dfu", {{"2026-02-21", QStringLiteral("kaputt"), 1.0}}));
    run = runCommandLine({"--report", home.file("eigen.htm")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("„kaputt“")) << run.err.constData();
    EXPECT_EQ(home.read("eigen.htm"), good);

    run = runCommandLine({"--report", home.file("fehlt/eigen.htm")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(run.err.isEmpty());

    run = runCommandLine({"--stats", "wlan9"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("wlan9")) << run.err.constData();
    run = runCommandLine({"--stats", "dfu", "--from", "20.02.2026"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("YYYY-MM-DD")) << run.err.constData();
}

TEST_F(E2eStatsReport, WithoutADatabaseBothModesSaySoAndCreateNone)
{
    QFile::remove(db());
    for (const QStringList& arguments : {QStringList{"--stats", "dfu"}, QStringList{"--report", home.file("x.htm")}}) {
        const CommandLineRun run = runCommandLine(arguments);
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains("does not exist")) << run.err.constData();
    }
    EXPECT_FALSE(QFile::exists(db()));
}

} // namespace
