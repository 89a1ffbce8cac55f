#include "storage/TrafficStatements.h"

#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/DayNumber.h"

namespace TrafficStatements {

namespace {

QString q(const QString& name) { return Database::quoteIdentifier(name); }

QVariantList settingsValues(const SettingsRow& r)
{
    return {r.anzeigen, r.maxspeed, r.links, r.oben, r.hoehe, r.breite, r.ontop,
            r.tranz, r.tranz_wert, r.bericht, r.forecolor, r.backcolor, r.sendgraph, r.recvgraph};
}

} // namespace

const QStringList& settingsColumns()
{
    static const QStringList columns{
        QStringLiteral("anzeigen"), QStringLiteral("maxspeed"), QStringLiteral("links"),
        QStringLiteral("oben"), QStringLiteral("höhe"), QStringLiteral("breite"),
        QStringLiteral("ontop"), QStringLiteral("tranz"), QStringLiteral("tranz_wert"),
        QStringLiteral("bericht"), QStringLiteral("forecolor"), QStringLiteral("backcolor"),
        QStringLiteral("sendgraph"), QStringLiteral("recvgraph")};
    return columns;
}

QString settingsTableName(const QString& index) { return index + QStringLiteral("_einstellungen"); }

bool isSettingsTable(const QString& tableName)
{
    return tableName.contains(QLatin1String("_einstellungen"), Qt::CaseSensitive);
}

bool probeTrafficTable(Database& db, const QString& index)
{
    try {
        db.query(QStringLiteral("SELECT * FROM %1 LIMIT 1").arg(q(index)));
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

void createTrafficTable(Database& db, const QString& index)
{
    db.exec(QStringLiteral("CREATE TABLE %1 (Datum DATE, received REAL, send REAL)").arg(q(index)));
}

void createTrafficTableIfMissing(Database& db, const QString& index)
{
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Datum DATE, received REAL, send REAL)").arg(q(index)));
}

namespace {

void createSettings(Database& db, const QString& index, bool ifMissing)
{
    db.exec(QStringLiteral("CREATE TABLE %1%2 (anzeigen CHAR(2), maxspeed REAL, links SMALLINT, "
                           "oben SMALLINT, \"höhe\" SMALLINT, breite SMALLINT, ontop SMALLINT, "
                           "tranz SMALLINT, tranz_wert SMALLINT, bericht SMALLINT, "
                           "forecolor INTEGER, backcolor INTEGER, sendgraph INTEGER, recvgraph INTEGER)")
                .arg(ifMissing ? QStringLiteral("IF NOT EXISTS ") : QString(), q(settingsTableName(index))));
}

} // namespace

void createSettingsTable(Database& db, const QString& index) { createSettings(db, index, false); }

bool probeSettingsTable(Database& db, const QString& index)
{
    try {
        db.query(QStringLiteral("SELECT * FROM %1 LIMIT 1").arg(q(settingsTableName(index))));
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

void insertSettingsRow(Database& db, const QString& index, const SettingsRow& row)
{
    db.exec(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                .arg(q(settingsTableName(index))),
            settingsValues(row));
}

DbRow readSettings(Database& db, const QString& index)
{
    const auto rows = db.query(QStringLiteral("SELECT * FROM %1").arg(q(settingsTableName(index))));
    if (rows.isEmpty())
        throw DatabaseError(QStringLiteral("the settings table %1 has no row").arg(settingsTableName(index)));
    return rows.first();
}

void writeSettings(Database& db, const QString& index, const SettingsRow& row)
{
    QStringList assignments;
    for (const QString& column : settingsColumns())
        assignments << q(column) + QStringLiteral(" = ?");
    Database::Transaction transaction(db);
    createSettings(db, index, true);
    const qint64 changed = db.exec(QStringLiteral("UPDATE %1 SET %2")
                                       .arg(q(settingsTableName(index)), assignments.join(QStringLiteral(", "))),
                                   settingsValues(row));
    // An update of an empty table reports success but would keep nothing.
    if (changed == 0)
        insertSettingsRow(db, index, row);
    transaction.commit();
}

std::optional<DbRow> findDay(Database& db, const QString& index, const QDate& day)
{
    const auto rows = db.query(QStringLiteral("SELECT * FROM %1 WHERE Datum = ?").arg(q(index)), {isoDate(day)});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

void insertDay(Database& db, const QString& index, const QDate& day, double received, double send)
{
    db.exec(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?)").arg(q(index)), {isoDate(day), received, send});
}

void updateDay(Database& db, const QString& index, const QDate& day, double received, double send)
{
    db.exec(QStringLiteral("UPDATE %1 SET received = ?, send = ? WHERE Datum = ?").arg(q(index)),
            {received, send, isoDate(day)});
}

QDate dayOfRow(const DbRow& row)
{
    return QDate::fromString(row.text(QStringLiteral("Datum")), Qt::ISODate);
}

QString readVersion(Database& db)
{
    const auto rows = db.query(QStringLiteral("SELECT * FROM db"));
    if (rows.isEmpty())
        throw DatabaseError(QStringLiteral("the table db has no row"));
    return rows.first().text(QStringLiteral("dbversion"));
}

void writeVersion(Database& db, const QString& version)
{
    db.exec(QStringLiteral("UPDATE db SET dbversion = ?"), {version});
}

void addColumn(Database& db, const QString& table, const QString& column, const QString& type)
{
    db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(q(table), q(column), type));
}

void fillDefaultColours(Database& db, const QString& settingsTable)
{
    const SettingsRow defaults;
    db.exec(QStringLiteral("UPDATE %1 SET backcolor = ?, forecolor = ?, recvgraph = ?, sendgraph = ?")
                .arg(q(settingsTable)),
            {defaults.backcolor, defaults.forecolor, defaults.recvgraph, defaults.sendgraph});
}

QList<DbRow> allDays(Database& db, const QString& index)
{
    return db.query(QStringLiteral("SELECT * FROM %1 ORDER BY Datum").arg(q(index)));
}

QList<DbRow> dayRange(Database& db, const QString& index, const QDate& from, const QDate& to)
{
    return db.query(QStringLiteral("SELECT * FROM %1 WHERE Datum >= ? AND Datum <= ? ORDER BY Datum").arg(q(index)),
                    {isoDate(from), isoDate(to)});
}

DaySums sumRange(Database& db, const QString& index, const QDate& from, const QDate& to)
{
    const QList<DbRow> rows = db.query(
        QStringLiteral("SELECT TOTAL(received) AS r, TOTAL(send) AS s FROM %1 WHERE Datum >= ? AND Datum <= ?")
            .arg(q(index)),
        {isoDate(from), isoDate(to)});
    if (rows.isEmpty())
        return {};
    return {rows[0].value(QStringLiteral("r")).toDouble(), rows[0].value(QStringLiteral("s")).toDouble()};
}

void dropTable(Database& db, const QString& table)
{
    db.exec(QStringLiteral("DROP TABLE %1").arg(q(table)));
}

qint64 countRows(Database& db, const QString& table)
{
    return db.query(QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(q(table))).first().toInt64(QStringLiteral("n"));
}

QList<DbRow> daysWithRowIds(Database& db, const QString& index)
{
    return db.query(QStringLiteral("SELECT rowid AS np_rowid, Datum, received, send FROM %1 ORDER BY rowid").arg(q(index)));
}

void updateRow(Database& db, const QString& index, qint64 rowId, double received, double send)
{
    db.exec(QStringLiteral("UPDATE %1 SET received = ?, send = ? WHERE rowid = ?").arg(q(index)), {received, send, rowId});
}

} // namespace TrafficStatements
