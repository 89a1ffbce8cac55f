#pragma once

#include "storage/DbRow.h"
#include "storage/SettingsRow.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Database;

// Every statement on the traffic database. Table names are always quoted and
// values always bound. Each function throws DatabaseError on failure.
namespace TrafficStatements {

// Column order of a settings table (the default row is inserted in this order).
const QStringList& settingsColumns();
QString settingsTableName(const QString& index);
bool isSettingsTable(const QString& tableName);

// True when the traffic table can be read (it exists); never throws.
bool probeTrafficTable(Database& db, const QString& index);
void createTrafficTable(Database& db, const QString& index);
void createTrafficTableIfMissing(Database& db, const QString& index);
void createSettingsTable(Database& db, const QString& index);
// True when the entry's settings table can be read (it exists); never throws.
bool probeSettingsTable(Database& db, const QString& index);
void insertSettingsRow(Database& db, const QString& index, const SettingsRow& row);

// The first row of the settings table; throws when the table has none.
DbRow readSettings(Database& db, const QString& index);
// Writes the settings row; a table that lost its row gets it back, and a
// table deleted by hand is made again.
void writeSettings(Database& db, const QString& index, const SettingsRow& row);

std::optional<DbRow> findDay(Database& db, const QString& index, const QDate& day);
void insertDay(Database& db, const QString& index, const QDate& day, double received, double send);
void updateDay(Database& db, const QString& index, const QDate& day, double received, double send);
// The Datum of a traffic row; invalid when the text is no date.
QDate dayOfRow(const DbRow& row);

QString readVersion(Database& db);
void writeVersion(Database& db, const QString& version);

void addColumn(Database& db, const QString& table, const QString& column, const QString& type);
void fillDefaultColours(Database& db, const QString& settingsTable);

// Traffic rows ordered by day: all of them, or those from `from` to `to` inclusive.
QList<DbRow> allDays(Database& db, const QString& index);
QList<DbRow> dayRange(Database& db, const QString& index, const QDate& from, const QDate& to);
// Both directions summed over the days from..to, as the engine sums them (a value that is no
// number counts 0); 0 for no days.
struct DaySums
{
    double received = 0;
    double send = 0;
};
DaySums sumRange(Database& db, const QString& index, const QDate& from, const QDate& to);

void dropTable(Database& db, const QString& table);
qint64 countRows(Database& db, const QString& table);

// Every traffic row with its row id (column "np_rowid"), in the order stored.
QList<DbRow> daysWithRowIds(Database& db, const QString& index);
void updateRow(Database& db, const QString& index, qint64 rowId, double received, double send);

} // namespace TrafficStatements
