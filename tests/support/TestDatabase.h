#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <vector>

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

// The sum over the days from `first` on, as one day: what a run booked that
// may have crossed midnight. `rows` is the most rows any one of them has.
DayTraffic trafficSince(const QString& dbPath, const QString& table, const QDate& first);

// The sum over all rows of an adapter's traffic table.
DayTraffic trafficSum(const QString& dbPath, const QString& table);

// The traffic tables, adapters by interface index (fixed-width hex sorts so),
// the dial-up entry last: the order in which the program holds the entries.
QStringList trafficTables(const QString& dbPath);

// What the engine's integrity check says of the file ("ok" when it is whole).
QString integrityCheck(const QString& dbPath);

// Sets "anzeigen" in the settings table "<index>_einstellungen"; false on failure.
bool setAnzeigen(const QString& dbPath, const QString& index, const QString& anzeigen);

// One day row as a test stores it; a value may be a text that is no number.
struct StoredRow
{
    QString datum; // "YYYY-MM-DD"
    QVariant received;
    QVariant send;
};

// Creates the traffic table `index` and its settings table with the report
// flag `bericht` when they are missing, then adds `rows` in one transaction.
// Creates the database file when there is none. False on failure.
bool storeTrafficRows(const QString& dbPath, const QString& index, const std::vector<StoredRow>& rows,
                      bool bericht = true);

// "links" and "oben" of the settings table "<index>_einstellungen": where the
// adapter's graph window is kept. Not valid when it cannot be read.
struct StoredPlace
{
    int links = 0;
    int oben = 0;
    bool valid = false;
};
StoredPlace storedGraphPlace(const QString& dbPath, const QString& index);
// Stores a place of the adapter's graph window, as a run would have left it.
bool setGraphPlace(const QString& dbPath, const QString& index, int links, int oben);

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

// Keeps every other connection out while it lives, readers too: a query of
// the program waits out its busy timeout and fails.
class DatabaseExclusiveLock
{
public:
    explicit DatabaseExclusiveLock(const QString& dbPath);
    ~DatabaseExclusiveLock();
    DatabaseExclusiveLock(const DatabaseExclusiveLock&) = delete;
    DatabaseExclusiveLock& operator=(const DatabaseExclusiveLock&) = delete;
    bool held() const { return m_held; }

private:
    sqlite3* m_db = nullptr;
    bool m_held = false;
};
