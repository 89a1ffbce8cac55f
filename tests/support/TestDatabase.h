#pragma once

#include <QString>
#include <QStringList>
#include <map>

struct sqlite3;

// Reads and changes the program's database with the SQLite C API, apart from
// the program's own storage code, so tests see what really is in the file.
struct DayTraffic
{
    double received = 0;
    double send = 0;
    int rows = 0; // rows found for the day; more than one is a fault
};

// The rows of an adapter's traffic table by their "Datum" text; empty when the
// table cannot be read.
std::map<QString, DayTraffic> trafficRows(const QString& dbPath, const QString& table);

// The sum over all rows of an adapter's traffic table.
DayTraffic trafficSum(const QString& dbPath, const QString& table);

// The traffic tables, adapters by interface index (fixed-width hex sorts so),
// the dial-up entry last: the order in which the program holds the entries.
QStringList trafficTables(const QString& dbPath);

// What the engine's integrity check says of the file ("ok" when it is whole).
QString integrityCheck(const QString& dbPath);

// Sets "anzeigen" in the settings table "<index>_einstellungen"; false on failure.
bool setAnzeigen(const QString& dbPath, const QString& index, const QString& anzeigen);

// Holds the database's write lock while it lives: every write of the program
// waits out its busy timeout and fails.
class DatabaseWriteLock
{
public:
    explicit DatabaseWriteLock(const QString& dbPath);
    ~DatabaseWriteLock();
    DatabaseWriteLock(const DatabaseWriteLock&) = delete;
    DatabaseWriteLock& operator=(const DatabaseWriteLock&) = delete;
    bool held() const { return m_held; }

private:
    sqlite3* m_db = nullptr;
    bool m_held = false;
};
