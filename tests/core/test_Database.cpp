#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/DayNumber.h"
#include "storage/TrafficStatements.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <limits>

namespace {

QString dbPath(const TempHome& home) { return home.file(Database::fileName()); }

Database::Options noLayDown()
{
    Database::Options o;
    o.layDownShippedIfMissing = false;
    return o;
}

TEST(Database, MissingFileIsLaidDownFromTheShippedEmptyDatabase)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    EXPECT_EQ(db.filePath(), dbPath(home));
    EXPECT_EQ(TrafficStatements::readVersion(db), QStringLiteral("2.2"));
    EXPECT_EQ(db.userTables(), QStringList{QStringLiteral("db")});
}

TEST(Database, MissingFileIsNeverCreatedWhenLayingDownIsNotAllowed)
{
    TempHome home;
    Database db(dbPath(home), noLayDown());
    try {
        db.open();
        FAIL() << "opened a missing file";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(dbPath(home))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("does not exist"))) << e.what();
    }
    EXPECT_FALSE(QFile::exists(dbPath(home)));
    EXPECT_EQ(QDir(home.folder()).entryList(QDir::Files), QStringList());
}

TEST(Database, ExistingDatabaseIsNeverReplacedByTheShippedOne)
{
    TempHome home;
    {
        Database db(dbPath(home));
        TrafficStatements::writeVersion(db, QStringLiteral("2.1"));
    }
    Database again(dbPath(home));
    EXPECT_EQ(TrafficStatements::readVersion(again), QStringLiteral("2.1"));
}

TEST(Database, FileThatIsNotAnSqliteDatabaseIsRefusedAndLeftUntouched)
{
    QByteArray headerThenJunk("SQLite format 3\0", 16);
    headerThenJunk += QByteArray(4000, '\xab');
    const QList<QByteArray> contents{
        QByteArray(),                                   // empty: the engine would take it for a new database
        QByteArray("Standard Jet DB\0\0\0 old file", 27),
        QByteArray(5000, 'x'),
        headerThenJunk,
    };
    for (const QByteArray& content : contents) {
        TempHome home;
        home.write(Database::fileName(), content);
        Database db(dbPath(home));
        try {
            db.query(QStringLiteral("SELECT * FROM db"));
            ADD_FAILURE() << "opened a foreign file of " << content.size() << " bytes";
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().contains(dbPath(home))) << e.what();
        }
        EXPECT_FALSE(db.isOpen());
        EXPECT_EQ(home.read(Database::fileName()), content);
        EXPECT_EQ(QDir(home.folder()).entryList(QDir::Files), QStringList{Database::fileName()})
            << "the engine left journal files beside a foreign file";
    }
}

TEST(Database, UnreadablePathGivesAClearError)
{
    TempHome home;
    QDir().mkpath(dbPath(home)); // a folder where the file should be
    Database db(dbPath(home));
    try {
        db.open();
        FAIL() << "opened a folder";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("cannot be read"))) << e.what();
    }
}

TEST(Database, TableNamesAreQuotedAndNeverExecuted)
{
    TempHome home;
    Database db(dbPath(home));
    const QStringList names{
        QStringLiteral("x\"; DROP TABLE db; --"),
        QStringLiteral("a' OR '1'='1"),
        QStringLiteral("Robert\"); DELETE FROM db; --"),
        QStringLiteral("0000000b"),
        QStringLiteral("select"),
    };
    const QDate day(2026, 12, 8);
    for (const QString& name : names) {
        TrafficStatements::createTrafficTable(db, name);
        TrafficStatements::insertDay(db, name, day, 1, 2);
        const auto row = TrafficStatements::findDay(db, name, day);
        ASSERT_TRUE(row.has_value()) << name.toStdString();
        EXPECT_EQ(row->toDouble(QStringLiteral("send")), 2);
    }
    QStringList expected = names;
    expected << QStringLiteral("db");
    expected.sort();
    EXPECT_EQ(db.userTables(), expected);
    EXPECT_EQ(TrafficStatements::readVersion(db), QStringLiteral("2.2"));
    for (const QString& name : names)
        TrafficStatements::dropTable(db, name);
    EXPECT_EQ(db.userTables(), QStringList{QStringLiteral("db")});
}

TEST(Database, SecondStatementInOneTextIsRefused)
{
    TempHome home;
    Database db(dbPath(home));
    EXPECT_THROW(db.exec(QStringLiteral("SELECT 1; DROP TABLE db")), DatabaseError);
    EXPECT_THROW(db.exec(QStringLiteral("UPDATE db SET dbversion = ?")), DatabaseError) << "value missing";
    EXPECT_EQ(TrafficStatements::readVersion(db), QStringLiteral("2.2"));
}

TEST(Database, RowsAreReadByColumnNameWithoutRegardToCase)
{
    TempHome home;
    Database db(dbPath(home));
    db.exec(QStringLiteral("CREATE TABLE t (Datum DATE, received REAL, note TEXT)"));
    db.exec(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"), {QStringLiteral("2027-01-03"), 9007199254740991.0, QStringLiteral("viel")});
    db.exec(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"), {QStringLiteral("2027-01-04"), QStringLiteral("12"), QVariant()});
    const auto rows = db.query(QStringLiteral("SELECT * FROM t ORDER BY datum"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(TrafficStatements::dayOfRow(rows[0]), QDate(2027, 1, 3));
    EXPECT_EQ(rows[0].toDouble(QStringLiteral("RECEIVED")), 9007199254740991.0);
    EXPECT_EQ(rows[0].toInt64(QStringLiteral("Received")), 9007199254740991LL);
    EXPECT_THROW(rows[0].toDouble(QStringLiteral("note")), DatabaseError);
    EXPECT_THROW(rows[0].value(QStringLiteral("send")), DatabaseError);
    EXPECT_EQ(rows[1].toDouble(QStringLiteral("received")), 12) << "numeric text in a REAL column";
    EXPECT_TRUE(rows[1].isNull(QStringLiteral("NOTE")));
}

TEST(DbRow, WholeNumbersOutsideTheIntegerRangeOrNotANumberAreRefused)
{
    const double refused[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 9223372036854775808.0, -1e19};
    for (const double value : refused) {
        const DbRow row({QStringLiteral("maxspeed")}, {QVariant(value)});
        EXPECT_THROW(row.toInt64(QStringLiteral("maxspeed")), DatabaseError) << value;
    }
    const DbRow text({QStringLiteral("maxspeed")}, {QVariant(QStringLiteral("nan"))});
    EXPECT_THROW(text.toInt64(QStringLiteral("maxspeed")), DatabaseError);
    const DbRow rounded({QStringLiteral("maxspeed")}, {QVariant(-2.5)});
    EXPECT_EQ(rounded.toInt64(QStringLiteral("maxspeed")), -3);
    const DbRow largest({QStringLiteral("maxspeed")}, {QVariant(-9223372036854775808.0)});
    EXPECT_EQ(largest.toInt64(QStringLiteral("maxspeed")), std::numeric_limits<qint64>::min());
}

TEST(Database, InnerTransactionRollsBackOnlyItsOwnPart)
{
    TempHome home;
    Database db(dbPath(home));
    TrafficStatements::createTrafficTable(db, QStringLiteral("t"));
    {
        Database::Transaction outer(db);
        TrafficStatements::insertDay(db, QStringLiteral("t"), QDate(2026, 1, 1), 1, 1);
        {
            Database::Transaction inner(db);
            TrafficStatements::insertDay(db, QStringLiteral("t"), QDate(2026, 1, 2), 2, 2);
        } // not committed
        {
            Database::Transaction inner(db);
            TrafficStatements::insertDay(db, QStringLiteral("t"), QDate(2026, 1, 3), 3, 3);
            inner.commit();
        }
        outer.commit();
    }
    {
        Database::Transaction discarded(db);
        TrafficStatements::insertDay(db, QStringLiteral("t"), QDate(2026, 1, 4), 4, 4);
    }
    QList<QDate> days;
    for (const DbRow& row : TrafficStatements::allDays(db, QStringLiteral("t")))
        days << TrafficStatements::dayOfRow(row);
    EXPECT_EQ(days, (QList<QDate>{QDate(2026, 1, 1), QDate(2026, 1, 3)}));
}

TEST(DayNumber, CountsDaysFromTheThirtiethOfDecember1899)
{
    struct Case { double value; QDate date; };
    const Case cases[] = {
        {0, QDate(1899, 12, 30)},
        {2, QDate(1900, 1, 1)},
        {46364, QDate(2026, 12, 8)},
        {46364.99, QDate(2026, 12, 8)},   // the fraction is the time of day
        {-1.5, QDate(1899, 12, 29)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dateOfDayNumber(c.value), c.date) << c.value;
        EXPECT_EQ(dayNumberOf(c.date), std::trunc(c.value)) << c.value;
    }
    EXPECT_FALSE(dateOfDayNumber(std::nan("")).isValid());
    EXPECT_FALSE(dateOfDayNumber(1e300).isValid());
    EXPECT_EQ(isoDate(QDate(2027, 1, 3)), QStringLiteral("2027-01-03"));
}

} // namespace
