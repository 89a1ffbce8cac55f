#include "base/ExceptionLog.h"
#include "storage/DBUpdates.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"
#include "support/TempHome.h"

#include <QMap>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QString kFailurePrefix =
    QStringLiteral("Fehlermeldung:Exception in Funktion 'Check_and_Do_DBUpdate()' in Datei DBUpdates_Unit| Genaue Meldung:");

// Columns of a table and all its rows, to see what a migration changed.
struct TableState
{
    QStringList columns;
    QList<QVariantList> rows;
    bool operator==(const TableState&) const = default;
};

TableState stateOf(Database& db, const QString& table)
{
    TableState state;
    for (const DbRow& row : db.query(QStringLiteral("PRAGMA table_info(%1)").arg(Database::quoteIdentifier(table))))
        state.columns << row.text(QStringLiteral("name"));
    for (const DbRow& row : db.query(QStringLiteral("SELECT * FROM %1").arg(Database::quoteIdentifier(table))))
        state.rows << row.values();
    return state;
}

QMap<QString, TableState> allTables(Database& db)
{
    QMap<QString, TableState> tables;
    for (const QString& name : db.userTables())
        tables[name] = stateOf(db, name);
    return tables;
}

// A database as an earlier version left it: its version text, traffic tables
// 0000000b and dfu, and (if asked) their settings tables without the colour columns.
void buildOldDatabase(Database& db, const QString& version, bool withSettingsTables = true)
{
    db.exec(QStringLiteral("UPDATE db SET dbversion = ?"), {version});
    for (const QString& index : {QStringLiteral("0000000b"), QStringLiteral("dfu")}) {
        TrafficStatements::createTrafficTable(db, index);
        TrafficStatements::insertDay(db, index, QDate(2025, 5, 1), 1000, 2000);
        if (!withSettingsTables)
            continue;
        const QString table = Database::quoteIdentifier(index + "_einstellungen");
        db.exec(QStringLiteral("CREATE TABLE %1 (anzeigen TEXT, maxspeed INTEGER, links SMALLINT, oben SMALLINT, "
                               "\"höhe\" SMALLINT, breite SMALLINT, ontop SMALLINT, tranz SMALLINT, "
                               "tranz_wert SMALLINT, bericht SMALLINT)")
                    .arg(table));
        db.exec(QStringLiteral("INSERT INTO %1 VALUES ('10', 1250, 5, 6, 70, 80, 1, 0, 9, 1)").arg(table));
    }
}

class DBUpdatesTest : public ::testing::Test
{
protected:
    void SetUp() override { setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}}); }
    void TearDown() override
    {
        clearLogVersionTexts();
        setLogDbVersion({});
    }

    static QString logText(const TempHome& home) { return QString::fromUtf8(home.read(QStringLiteral("error.txt"))); }
};

TEST_F(DBUpdatesTest, CurrentDatabaseOnlyReadsItsVersion)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    buildOldDatabase(db, QStringLiteral("2.2"));
    QStringList statements;
    db.setStatementObserver([&](const QString& sql) { statements << sql; });
    QString dbVersion;
    EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 1);
    EXPECT_EQ(dbVersion, QStringLiteral("2.2"));
    EXPECT_EQ(logDbVersion(), QStringLiteral("2.2"));
    ASSERT_FALSE(statements.isEmpty());
    for (const QString& sql : statements)
        EXPECT_TRUE(sql.startsWith(QStringLiteral("SELECT"))) << sql.toStdString();
}

TEST_F(DBUpdatesTest, Version21GetsTheColourColumnsOnEverySettingsTable)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    buildOldDatabase(db, QStringLiteral("2.1"));
    const auto before = allTables(db);
    QString dbVersion;
    EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 2);
    EXPECT_EQ(dbVersion, QStringLiteral("2.2"));
    EXPECT_EQ(logDbVersion(), QStringLiteral("2.2"));
    EXPECT_EQ(TrafficStatements::readVersion(db), QStringLiteral("2.2"));

    const auto after = allTables(db);
    EXPECT_EQ(after.keys(), before.keys());
    for (const QString& traffic : {QStringLiteral("0000000b"), QStringLiteral("dfu")})
        EXPECT_TRUE(after[traffic] == before[traffic]) << "traffic tables never change";
    for (const QString& settings : {QStringLiteral("0000000b_einstellungen"), QStringLiteral("dfu_einstellungen")}) {
        TableState expected = before[settings];
        expected.columns << "forecolor" << "backcolor" << "sendgraph" << "recvgraph";
        expected.rows[0] << 16150899LL << 16744825LL << 255LL << 16711680LL;
        EXPECT_TRUE(after[settings] == expected) << settings.toStdString();
    }
    EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 1) << "current from then on";
    EXPECT_TRUE(logText(home).isEmpty());
}

TEST_F(DBUpdatesTest, Versions2And2RC2OnlyChangedColumnTypesSoOnlyTheVersionIsWritten)
{
    struct Case { QString version; bool withSettingsTables; };
    const Case cases[] = {{QStringLiteral("2 RC2"), true}, {QStringLiteral("2"), true}, {QStringLiteral("2"), false}};
    for (const Case& c : cases) {
        TempHome home;
        Database db(Database::programDatabasePath());
        buildOldDatabase(db, c.version, c.withSettingsTables);
        auto expected = allTables(db);
        expected[QStringLiteral("db")].rows = {{QStringLiteral("2.2")}};
        QString dbVersion;
        EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 2) << c.version.toStdString();
        EXPECT_EQ(dbVersion, QStringLiteral("2.2"));
        EXPECT_TRUE(allTables(db) == expected) << c.version.toStdString() << ": no colour columns, nothing else";
    }
}

TEST_F(DBUpdatesTest, UnknownVersionChangesNothing)
{
    for (const QString& version : {QStringLiteral("2.0"), QStringLiteral("2.2 "), QStringLiteral("2.1 "),
                                   QStringLiteral("2 rc2"), QString()}) {
        TempHome home;
        Database db(Database::programDatabasePath());
        buildOldDatabase(db, version);
        const auto before = allTables(db);
        QString dbVersion = QStringLiteral("vorher");
        EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 3) << '"' << version.toStdString() << '"';
        EXPECT_EQ(dbVersion, version);
        EXPECT_TRUE(allTables(db) == before) << '"' << version.toStdString() << '"';
        EXPECT_TRUE(logText(home).isEmpty()) << "the caller logs result 3";
    }
    EXPECT_TRUE(unknownDatabaseLogMessage().endsWith(
        QStringLiteral("wurde der Rückgabewert 3 ermittelt | Die Datenbank ist unbekannt und kann nicht aktualisiert werden!")));
}

TEST_F(DBUpdatesTest, MissingOrEmptyVersionTableIsAFailure)
{
    {
        TempHome home;
        Database db(Database::programDatabasePath());
        TrafficStatements::dropTable(db, QStringLiteral("db"));
        QString dbVersion;
        EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 0);
        const QStringList lines = logText(home).split('\n');
        EXPECT_TRUE(lines.contains(kFailurePrefix + QStringLiteral("no such table: db in statement: SELECT * FROM db (database ")
                                   + db.filePath() + ')'))
            << logText(home).toStdString();
    }
    {
        TempHome home;
        Database db(Database::programDatabasePath());
        db.exec(QStringLiteral("DELETE FROM db"));
        QString dbVersion;
        EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 0);
        EXPECT_TRUE(logText(home).contains(kFailurePrefix + QStringLiteral("the table db has no row")));
    }
}

TEST_F(DBUpdatesTest, FailedUpgradeLeavesNoHalfAlteredTableAndFailsAgainWhileTheCauseRemains)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    buildOldDatabase(db, QStringLiteral("2.1"));
    // The second settings table cannot take the columns: one is there already.
    db.exec(QStringLiteral("ALTER TABLE dfu_einstellungen ADD COLUMN recvgraph INTEGER"));
    const auto before = allTables(db);
    for (int start = 0; start < 2; ++start) {
        QString dbVersion;
        EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 0) << "start " << start;
        EXPECT_EQ(dbVersion, QStringLiteral("2.1"));
        EXPECT_TRUE(allTables(db) == before) << "start " << start << ": first table rolled back too";
    }
    EXPECT_EQ(logText(home).count(kFailurePrefix + QStringLiteral("duplicate column name: recvgraph")), 2)
        << logText(home).toStdString();
}

TEST_F(DBUpdatesTest, UpgradeHinderedByALockRunsWholeAtTheNextStart)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    buildOldDatabase(db, QStringLiteral("2.1"));
    const auto before = allTables(db);
    {
        Database holder(db.filePath());
        holder.exec(QStringLiteral("BEGIN IMMEDIATE"));
        holder.exec(QStringLiteral("UPDATE \"0000000b\" SET received = 1"));
        db.setBusyTimeout(50);
        QString dbVersion;
        EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 0);
        holder.exec(QStringLiteral("ROLLBACK"));
    }
    EXPECT_TRUE(allTables(db) == before);
    QString dbVersion;
    EXPECT_EQ(Check_and_Do_DBUpdate(db, dbVersion), 2);
    EXPECT_EQ(stateOf(db, QStringLiteral("0000000b_einstellungen")).columns.size(), 14);
    EXPECT_EQ(stateOf(db, QStringLiteral("dfu_einstellungen")).columns.size(), 14);
}

} // namespace
