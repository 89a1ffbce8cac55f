#include "storage/SentWatermarks.h"

#include "storage/Database.h"
#include "storage/DayNumber.h"

namespace SentWatermarks {

namespace {

const QString kTable = QStringLiteral("zentrale_gesendet");

bool exists(Database& db)
{
    return !db.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?"), {kTable})
                .isEmpty();
}

} // namespace

QString tableName() { return kTable; }

QHash<QString, QDate> read(Database& db, const QString& target)
{
    QHash<QString, QDate> marks;
    if (!exists(db))
        return marks;
    const auto rows = db.query(QStringLiteral("SELECT tabelle, bis FROM %1 WHERE ziel = ?")
                                   .arg(Database::quoteIdentifier(kTable)),
                               {target});
    for (const DbRow& r : rows) {
        const QDate day = QDate::fromString(r.text(QStringLiteral("bis")), Qt::ISODate);
        if (day.isValid())
            marks.insert(r.text(QStringLiteral("tabelle")), day);
    }
    return marks;
}

void write(Database& db, const QString& target, const QString& table, const QDate& through)
{
    const QString q = Database::quoteIdentifier(kTable);
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (tabelle TEXT NOT NULL, ziel TEXT NOT NULL, bis TEXT NOT NULL, "
                           "PRIMARY KEY (tabelle, ziel))")
                .arg(q));
    db.exec(QStringLiteral("INSERT INTO %1 (tabelle, ziel, bis) VALUES (?, ?, ?) "
                           "ON CONFLICT (tabelle, ziel) DO UPDATE SET bis = excluded.bis")
                .arg(q),
            {table, target, isoDate(through)});
}

void forget(Database& db, const QString& target)
{
    if (exists(db))
        db.exec(QStringLiteral("DELETE FROM %1 WHERE ziel = ?").arg(Database::quoteIdentifier(kTable)), {target});
}

void oweFrom(Database& db, const QString& table, const QDate& first)
{
    if (exists(db))
        db.exec(QStringLiteral("UPDATE %1 SET bis = ? WHERE tabelle = ? AND bis >= ?").arg(Database::quoteIdentifier(kTable)),
                {isoDate(first.addDays(-1)), table, isoDate(first)});
}

void forgetTable(Database& db, const QString& table)
{
    if (exists(db))
        db.exec(QStringLiteral("DELETE FROM %1 WHERE tabelle = ?").arg(Database::quoteIdentifier(kTable)), {table});
}

} // namespace SentWatermarks
