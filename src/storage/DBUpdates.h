#pragma once

#include <QString>

class Database;

// Schema version of a database this program writes.
QString currentDbVersion(); // "2.2"

// Reads the schema version from table db into `dbVersion` (also the version the
// exception log shows) and brings an older schema up to date. Returns
// 0 failure (already logged), 1 already current, 2 upgraded, 3 unknown version
// (nothing changed; the caller logs unknownDatabaseLogMessage()).
// An upgrade is applied as a whole or not at all.
int Check_and_Do_DBUpdate(Database& db, QString& dbVersion);

// Log text for result 3.
QString unknownDatabaseLogMessage();
