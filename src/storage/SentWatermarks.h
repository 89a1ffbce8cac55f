#pragma once

#include <QDate>
#include <QHash>
#include <QString>

class Database;

// What the central database already holds of each traffic table, kept in the local
// database: per table and central database ("target"), the last day sent whose row will
// not change any more. Days after it are owed. A table with no mark owes every day.
// Each function throws DatabaseError on failure.
namespace SentWatermarks {

QString tableName(); // "zentrale_gesendet"

// The marks for `target`, by traffic table; none while nothing was ever sent.
QHash<QString, QDate> read(Database& db, const QString& target);
// Sets the mark of `table` for `target` (the table of marks is made when missing).
void write(Database& db, const QString& target, const QString& table, const QDate& through);
// Forgets every mark for `target`: every day is owed again.
void forget(Database& db, const QString& target);

// Days from `first` on were written into `table` by other means than a booking (an import, a
// copy or move of days): they are owed to every central database again. Nothing happens
// where nothing was ever sent.
void oweFrom(Database& db, const QString& table, const QDate& first);
// `table` is gone: a table of that name made later owes all its days.
void forgetTable(Database& db, const QString& table);

} // namespace SentWatermarks
