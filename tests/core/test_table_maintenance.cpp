// Table maintenance on a real database file: merging, moving, deleting,
// export and import, and that a refused or failed operation changes nothing.
#include "base/ExceptionLog.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/TableMaintenance.h"
#include "storage/TableMessages.h"
#include "storage/TrafficStatements.h"
#include "support/QtPrinters.h"
#include "support/StoredDays.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QDate kDay1(2026, 12, 1);
const QDate kDay2(2026, 12, 2);
const QDate kDay3(2026, 12, 3);

class TableMaintenanceTest : public ::testing::Test
{
protected:
    void SetUp() override { setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}}); }
    void TearDown() override { clearLogVersionTexts(); }

    void fill(const QString& table, const QList<DayValues>& rows)
    {
        TrafficStatements::createTrafficTableIfMissing(db, table);
        for (const DayValues& d : rows)
            TrafficStatements::insertDay(db, table, d.day, d.received, d.send);
    }
    QList<DayValues> days(const QString& table) { return storedDays(db, table); }
    bool exists(const QString& table) { return db.userTables().contains(table); }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        home.write(name, bytes);
        return home.file(name);
    }
    // Every table with its rows, to show that nothing changed.
    QMap<QString, QList<QVariantList>> everything()
    {
        QMap<QString, QList<QVariantList>> all;
        for (const QString& t : db.userTables())
            for (const DbRow& row : db.query(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(Database::quoteIdentifier(t))))
                all[t] << row.values();
        return all;
    }
    QString log() const { return QString::fromUtf8(home.read(QStringLiteral("error.txt"))); }

    TempHome home;
    Database db{Database::programDatabasePath()};
};

TEST_F(TableMaintenanceTest, CopyMergesTheDaysOfBothTables)
{
    fill("A", {{kDay1, 10, 1}, {kDay2, 20, 2}});
    fill("B", {{kDay2, 300, 30}, {kDay3, 4000, 400}});
    const MaintenanceResult result = Table_Copy(db, "A", "B");
    ASSERT_TRUE(result.ok) << result.detail.toStdString();
    EXPECT_EQ(result.days, 2);
    EXPECT_EQ(days("B"), (QList<DayValues>{{kDay1, 10, 1}, {kDay2, 320, 32}, {kDay3, 4000, 400}}));
    EXPECT_EQ(days("A"), (QList<DayValues>{{kDay1, 10, 1}, {kDay2, 20, 2}})) << "the source stays";
    EXPECT_EQ(trafficRows(db.filePath(), "B")["2026-12-02"].rows, 1) << "one row per day";
}

TEST_F(TableMaintenanceTest, MoveMergesAndDropsTheSource)
{
    fill("A", {{kDay1, 10, 1}, {kDay2, 20, 2}});
    fill("B", {{kDay2, 300, 30}});
    ASSERT_TRUE(Table_Move(db, "A", "B").ok);
    EXPECT_FALSE(exists("A"));
    EXPECT_EQ(days("B"), (QList<DayValues>{{kDay1, 10, 1}, {kDay2, 320, 32}}));
}

TEST_F(TableMaintenanceTest, CopyIntoANewNameMakesATrafficTableWithoutSettings)
{
    fill("0000000b", {{kDay1, 10, 1}});
    ASSERT_TRUE(Table_Copy(db, "0000000b", "archiv 2026").ok);
    EXPECT_EQ(days("archiv 2026"), (QList<DayValues>{{kDay1, 10, 1}}));
    EXPECT_FALSE(exists("archiv 2026_einstellungen"));
}

TEST_F(TableMaintenanceTest, DeleteDropsAnyTableButTheVersionTable)
{
    fill("A", {{kDay1, 10, 1}, {kDay2, 20, 2}});
    db.exec("CREATE TABLE \"A_einstellungen\" (anzeigen CHAR(2))");
    const MaintenanceResult result = Table_Delete(db, "A");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.days, 2);
    EXPECT_TRUE(Table_Delete(db, "A_einstellungen").ok) << "settings tables too";
    EXPECT_EQ(db.userTables(), QStringList{"db"});
    EXPECT_FALSE(Table_Delete(db, "A").ok) << "gone already";
    EXPECT_EQ(Table_Delete(db, "db").refusalKey, "Error28");
    EXPECT_EQ(TrafficStatements::readVersion(db), "2.2");
}

TEST_F(TableMaintenanceTest, RefusalsComeBeforeAnyStatement)
{
    fill("A", {{kDay1, 10, 1}});
    db.exec("CREATE TABLE \"A_einstellungen\" (anzeigen CHAR(2))");
    const auto before = everything();
    const QString file = writeFile("in.tab", "12/08/2026\r\n1\r\n2\r\n");
    const struct
    {
        TableCommand command;
        const char* source;
        const char* destination;
        const char* key; // refusal key, or "" for the command's own failure message
    } cases[] = {
        {TableCommand::Delete, "db", "", "Error28"},
        {TableCommand::Copy, "db", "B", "Error28"},
        {TableCommand::Move, "DB", "B", "Error28"},
        {TableCommand::Export, "db", "", "Error28"},
        {TableCommand::Import, "db", "B", "Error28"}, // even with another destination
        {TableCommand::Copy, "A", "db", "Error28"},
        {TableCommand::Import, "A", "Db", "Error28"},
        {TableCommand::Copy, "A", "A", "Error20"},
        {TableCommand::Move, "A", "a", "Error20"}, // the engine's names ignore the case
        {TableCommand::Copy, "A_einstellungen", "B", ""},
        {TableCommand::Move, "A_einstellungen", "B", ""},
        {TableCommand::Export, "A_einstellungen", "", ""},
        {TableCommand::Import, "", "A_einstellungen", ""},
        {TableCommand::Copy, "A", "B_einstellungen", ""},
        {TableCommand::Copy, "A", "", ""},
        {TableCommand::Import, "", "", ""},
        {TableCommand::Delete, "", "", ""},
    };
    QStringList statements;
    db.setStatementObserver([&](const QString& sql) { statements << sql; });
    for (const auto& c : cases) {
        TableRequest request{c.command, QString::fromUtf8(c.source), QString::fromUtf8(c.destination),
                             c.command == TableCommand::Export ? home.file("out.tab") : file};
        const MaintenanceResult result = runTableRequest(db, request);
        const std::string what = std::to_string(static_cast<int>(c.command)) + " " + c.source + " -> " + c.destination;
        EXPECT_FALSE(result.ok) << what;
        EXPECT_EQ(result.refusalKey, QString::fromUtf8(c.key)) << what;
        EXPECT_FALSE(result.detail.isEmpty()) << what;
    }
    EXPECT_EQ(statements, QStringList()) << "refused before any statement";
    db.setStatementObserver({});
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(QFile::exists(home.file("out.tab")));
}

TEST_F(TableMaintenanceTest, ExportThenImportGivesTheSameRowsToTheLastDigit)
{
    const QList<DayValues> rows{{QDate(1999, 1, 31), 0, 1},
                                {kDay1, 9007199254740992.0, 9007199254740991.0},
                                {kDay2, 1e15 + 1, 123456789012345.0}};
    fill("0000000b", {rows[2], rows[0], rows[1]}); // stored out of order
    const QString file = home.file("export_0000000b.tab");
    const MaintenanceResult exported = Table_Export(db, "0000000b", file);
    ASSERT_TRUE(exported.ok) << exported.detail.toStdString();
    EXPECT_EQ(exported.days, 3);
    EXPECT_EQ(home.read("export_0000000b.tab"), QByteArray("01/31/1999\r\n0\r\n1\r\n"
                                                           "12/01/2026\r\n9007199254740992\r\n9007199254740991\r\n"
                                                           "12/02/2026\r\n1000000000000001\r\n123456789012345\r\n"));
    const MaintenanceResult imported = Table_Import(db, "copy", file);
    ASSERT_TRUE(imported.ok) << imported.detail.toStdString();
    EXPECT_EQ(days("copy"), rows);
}

TEST_F(TableMaintenanceTest, EmptyTableGivesAnEmptyFileAndAnEmptyFileChangesNothing)
{
    fill("leer", {});
    fill("A", {{kDay1, 10, 1}});
    ASSERT_TRUE(Table_Export(db, "leer", home.file("leer.tab")).ok);
    EXPECT_TRUE(QFile::exists(home.file("leer.tab")));
    EXPECT_EQ(home.read("leer.tab"), QByteArray());
    const auto before = everything();
    const MaintenanceResult result = Table_Import(db, "A", home.file("leer.tab"));
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.days, 0);
    EXPECT_EQ(everything(), before);
}

TEST_F(TableMaintenanceTest, ImportingTwiceDoublesEveryDay)
{
    fill("A", {{kDay3, 5, 5}});
    const QString file = writeFile("in.tab", "12/01/2026\r\n10\r\n1\r\n12/02/2026\r\n20\r\n2\r\n");
    ASSERT_TRUE(Table_Import(db, "A", file).ok);
    ASSERT_TRUE(Table_Import(db, "A", file).ok);
    EXPECT_EQ(days("A"), (QList<DayValues>{{kDay1, 20, 2}, {kDay2, 40, 4}, {kDay3, 5, 5}}));
}

TEST_F(TableMaintenanceTest, ADayGivenTwiceInTheSourceBecomesOneRowWithTheSum)
{
    const struct
    {
        const char* what;
        std::function<MaintenanceResult()> run;
    } cases[] = {
        {"import of a file that has a day twice",
         [&] {
             return Table_Import(db, "Z", writeFile("twice.tab", "12/02/2026\r\n10\r\n1\r\n12/01/2026\r\n3\r\n4\r\n"
                                                                  "12/02/2026\r\n20\r\n2\r\n"));
         }},
        {"copy of a table that has a day twice",
         [&] {
             fill("S", {{kDay2, 10, 1}, {kDay1, 3, 4}, {kDay2, 20, 2}});
             return Table_Copy(db, "S", "Z");
         }},
    };
    for (const auto& c : cases) {
        db.exec(QStringLiteral("DROP TABLE IF EXISTS \"Z\""));
        db.exec(QStringLiteral("DROP TABLE IF EXISTS \"S\""));
        fill("Z", {{kDay1, 1, 1}, {kDay3, 7, 7}});
        const MaintenanceResult result = c.run();
        ASSERT_TRUE(result.ok) << c.what << ": " << result.detail.toStdString();
        EXPECT_EQ(result.days, 2) << c.what;
        EXPECT_EQ(days("Z"), (QList<DayValues>{{kDay1, 4, 5}, {kDay2, 30, 3}, {kDay3, 7, 7}}))
            << c.what << ": one row per day, the day given twice summed";
    }
}

TEST_F(TableMaintenanceTest, ADayWithASwappedDateLineIsLoggedAndSkipped)
{
    const QString file = writeFile("in.tab", "12/01/2026\r\n10\r\n1\r\n13/01/2026\r\n20\r\n2\r\n12/02/2026\r\n30\r\n3\r\n");
    const MaintenanceResult result = Table_Import(db, "neu", file);
    ASSERT_TRUE(result.ok) << result.detail.toStdString();
    EXPECT_EQ(days("neu"), (QList<DayValues>{{kDay1, 10, 1}, {kDay2, 30, 3}}));
    EXPECT_EQ(result.skipped, (QList<TabSkippedDay>{{4, "13/01/2026"}}));
    EXPECT_TRUE(log().contains("'13/01/2026'")) << log().toStdString();
    EXPECT_TRUE(log().contains("| Fehler aufgetreten in Function \"bool Table_Import (String Tabellenname, String "
                               "Dateiname)\" , Struktur EncodeDate (StringDatum -> TDate)"))
        << log().toStdString();
}

TEST_F(TableMaintenanceTest, AFileOfManyBadDatesLogsTwentyAndCountsTheRest)
{
    QByteArray bytes;
    for (int i = 0; i < 25; ++i)
        bytes += "99/99/2026\r\n1\r\n2\r\n";
    bytes += "12/01/2026\r\n10\r\n1\r\n";
    const MaintenanceResult result = Table_Import(db, "neu", writeFile("in.tab", bytes));
    ASSERT_TRUE(result.ok) << result.detail.toStdString();
    EXPECT_EQ(result.skippedDays, 25);
    EXPECT_EQ(result.skipped.size(), kLoggedSkippedDays);
    EXPECT_EQ(days("neu"), (QList<DayValues>{{kDay1, 10, 1}}));
    EXPECT_EQ(log().count("is not a valid date"), 20);
    EXPECT_TRUE(log().contains("5 more days of " + home.file("in.tab") + " skipped")) << log().toStdString();
}

TEST_F(TableMaintenanceTest, ADayWhoseValueIsNoByteCountIsLoggedAndSkippedAndTheRestImported)
{
    fill("A", {{kDay1, 10, 1}});
    const QString file = writeFile("b.tab", "12/02/2026\r\n1\r\n2\r\n12/03/2026\r\nviel\r\n2\r\n"
                                            "12/01/2026\r\n5\r\n-3\r\n");
    const MaintenanceResult result = Table_Import(db, "A", file);
    ASSERT_TRUE(result.ok) << result.detail.toStdString();
    EXPECT_EQ(result.days, 1);
    EXPECT_EQ(result.skippedDays, 2);
    EXPECT_EQ(result.skipped, (QList<TabSkippedDay>{{5, "viel", TabSkippedDay::Cause::ByteCount},
                                                    {9, "-3", TabSkippedDay::Cause::ByteCount}}));
    EXPECT_EQ(days("A"), (QList<DayValues>{{kDay1, 10, 1}, {kDay2, 1, 2}})) << "the readable day only";
    EXPECT_TRUE(log().contains("'viel' is no byte count (line 5 of " + file + ")")) << log().toStdString();
    EXPECT_TRUE(log().contains("'-3' is no byte count (line 9 of " + file + ")")) << log().toStdString();
}

TEST_F(TableMaintenanceTest, AFileThatCannotBeReadWholeLeavesTheDestinationAsItWas)
{
    fill("A", {{kDay1, 10, 1}});
    const auto before = everything();
    QFile huge(home.file("huge.tab"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxTabFileBytes + 1));
    huge.close();
    const struct
    {
        const char* what;
        QString file;
        const char* table;
    } cases[] = {
        {"3n+1 lines", writeFile("a.tab", "12/02/2026\r\n1\r\n2\r\n12/03/2026\r\n"), "A"},
        {"NUL byte", writeFile("c.tab", QByteArray("12/02/2026\r\n1\r\n2\0\r\n", 17)), "A"},
        {"into a new table", writeFile("d.tab", "12/02/2026\r\n1\r\n"), "B"},
        {"missing", home.file("missing.tab"), "A"},
        {"a folder", home.folder(), "A"},
        {"a device", QStringLiteral("/dev/zero"), "A"},
        {"too large", home.file("huge.tab"), "A"},
    };
    for (const auto& c : cases) {
        const MaintenanceResult result = Table_Import(db, c.table, c.file);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_TRUE(result.detail.contains(c.file)) << c.what << ": " << result.detail.toStdString();
        EXPECT_EQ(everything(), before) << c.what;
    }
}

TEST_F(TableMaintenanceTest, AStatementFailingPartWayChangesNothingSoARetryCountsOnce)
{
    fill("A", {{kDay1, 10, 1}});
    fill("B", {{kDay2, 100, 10}, {kDay3, 200, 20}});
    const QString file = writeFile("in.tab", "12/01/2026\r\n5\r\n5\r\n12/02/2026\r\n6\r\n6\r\n12/03/2026\r\n7\r\n7\r\n");
    const auto before = everything();
    int writes = 0;
    db.setStatementObserver([&](const QString& sql) {
        if ((sql.startsWith("INSERT") || sql.startsWith("UPDATE")) && ++writes == 2)
            throw DatabaseError("disk I/O error");
    });
    EXPECT_FALSE(Table_Import(db, "A", file).ok);
    writes = 0;
    const MaintenanceResult copy = Table_Copy(db, "B", "A");
    EXPECT_FALSE(copy.ok);
    EXPECT_TRUE(copy.detail.contains("disk I/O error")) << copy.detail.toStdString();
    db.setStatementObserver({});
    EXPECT_EQ(everything(), before);

    ASSERT_TRUE(Table_Import(db, "A", file).ok);
    EXPECT_EQ(days("A"), (QList<DayValues>{{kDay1, 15, 6}, {kDay2, 6, 6}, {kDay3, 7, 7}}));
}

TEST_F(TableMaintenanceTest, AMoveWhoseDeleteFailsLeavesBothTablesAsTheyWere)
{
    fill("A", {{kDay1, 10, 1}});
    fill("B", {{kDay1, 100, 10}});
    const auto before = everything();
    db.setStatementObserver([](const QString& sql) {
        if (sql.startsWith("DROP TABLE"))
            throw DatabaseError("table A is locked");
    });
    const MaintenanceResult result = Table_Move(db, "A", "B");
    db.setStatementObserver({});
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.refusalKey.isEmpty());
    EXPECT_TRUE(result.detail.contains("table A is locked")) << result.detail.toStdString();
    EXPECT_EQ(everything(), before) << "the source in place, the destination not merged";
}

TEST_F(TableMaintenanceTest, HostileTableNamesAreOnlyNames)
{
    const QStringList names{"x\"; DROP TABLE db; --", "it's a table", "; DROP TABLE \"A\"", " blank ", "%1 %2"};
    fill("A", {{kDay1, 10, 1}});
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(Table_Copy(db, "A", name).ok);
        const QString file = home.file("t.tab");
        ASSERT_TRUE(Table_Export(db, name, file).ok);
        ASSERT_TRUE(Table_Import(db, name, file).ok);
        EXPECT_EQ(days(name), (QList<DayValues>{{kDay1, 20, 2}}));
        ASSERT_TRUE(Table_Move(db, name, name + "2").ok);
        ASSERT_TRUE(Table_Delete(db, name + "2").ok);
    }
    EXPECT_EQ(db.userTables(), (QStringList{"A", "db"}));
    EXPECT_EQ(days("A"), (QList<DayValues>{{kDay1, 10, 1}}));
    EXPECT_EQ(TrafficStatements::readVersion(db), "2.2");
}

TEST_F(TableMaintenanceTest, ALockedDatabaseFailsClearlyAndChangesNothing)
{
    fill("A", {{kDay1, 10, 1}});
    const QString file = writeFile("in.tab", "12/01/2026\r\n5\r\n5\r\n");
    const auto before = everything();
    {
        DatabaseWriteLock lock(db.filePath());
        ASSERT_TRUE(lock.held());
        db.setBusyTimeout(50);
        for (const MaintenanceResult& result : {Table_Import(db, "A", file), Table_Copy(db, "A", "B"),
                                                Table_Move(db, "A", "B"), Table_Delete(db, "A")}) {
            EXPECT_FALSE(result.ok);
            EXPECT_TRUE(result.detail.contains("locked")) << result.detail.toStdString();
        }
        EXPECT_TRUE(Table_Export(db, "A", home.file("out.tab")).ok) << "reading goes on";
    }
    EXPECT_EQ(everything(), before);
}

TEST_F(TableMaintenanceTest, StoppingThroughTheProgressChangesNothing)
{
    fill("A", {{kDay1, 10, 1}, {kDay2, 20, 2}, {kDay3, 30, 3}});
    const auto before = everything();
    QList<qint64> seen;
    const MaintenanceResult result = Table_Move(db, "A", "B", [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 3);
        seen << done;
        return done < 2;
    });
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(seen, (QList<qint64>{1, 2}));
    EXPECT_EQ(everything(), before);
}

TEST_F(TableMaintenanceTest, AnExportThatCannotBeWrittenFailsAndLeavesAnOldFileAlone)
{
    fill("A", {{kDay1, 10, 1}});
    db.exec("INSERT INTO \"A\" VALUES ('kein Tag', 1, 2)");
    home.write("old.tab", "old");
    EXPECT_FALSE(Table_Export(db, "A", home.file("old.tab")).ok) << "a row that is no day";
    EXPECT_EQ(home.read("old.tab"), QByteArray("old"));
    EXPECT_FALSE(Table_Export(db, "missing", home.file("old.tab")).ok);
    fill("B", {{kDay1, 10, 1}});
    EXPECT_FALSE(Table_Export(db, "B", home.file("no/such/folder/x.tab")).ok);
}

TEST_F(TableMaintenanceTest, AnExportNeverReplacesTheDatabaseItReads)
{
    fill("A", {{kDay1, 10, 1}});
    const auto before = everything();
    const QString wal = db.filePath() + "-wal";
    ASSERT_TRUE(QFile::exists(wal));
    ASSERT_TRUE(QDir(home.folder()).mkdir("sub"));
    const QString sideways = home.folder() + "sub/../Datenbank.mdb";
    for (const QString& file : {db.filePath(), sideways, wal, db.filePath() + "-journal"}) {
        const MaintenanceResult result = Table_Export(db, "A", file);
        EXPECT_FALSE(result.ok) << file.toStdString();
        EXPECT_TRUE(result.detail.contains("database")) << result.detail.toStdString();
    }
    EXPECT_FALSE(QFile::exists(db.filePath() + "-journal"));
    db.close();
    EXPECT_EQ(everything(), before);
    EXPECT_TRUE(Table_Export(db, "A", home.file("Datenbank.tab")).ok) << "any other file is fine";
}

} // namespace

namespace {

TEST_F(TableMaintenanceTest, TheWindowShowsWhyInTheUsersLanguageAndAnEnginesTextAsItCame)
{
    ASSERT_TRUE(layDownShippedFiles(home.folder()).isEmpty());
    const QString missing = home.file("fehlt %2.tab");   // a "%2" in a name stays as it is
    const struct
    {
        const char* file;
        QString noFile;
    } languages[] = {{"deutsch.lan", missing + " ist keine lesbare Datei."},
                     {"english.lan", missing + " is no file that can be read."}};
    for (const auto& l : languages) {
        TSprache sprache;
        ASSERT_TRUE(sprache.Laden(QString::fromLatin1(l.file)));
        const TableMessage message =
            tableResultMessage(sprache, TableCommand::Import, "Import", Table_Import(db, "A", missing));
        EXPECT_TRUE(message.error);
        EXPECT_EQ(message.text,
                  sprache.error("Error23") + "Import" + sprache.error("Error27") + QLatin1Char('\n') + l.noFile)
            << l.file;

        const TableMessage engine =
            tableResultMessage(sprache, TableCommand::Copy, "Kopie", Table_Copy(db, "nirgends", "B"));
        EXPECT_TRUE(engine.text.contains("no such table: nirgends")) << engine.text.toStdString();
    }
}

} // namespace
