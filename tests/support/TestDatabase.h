#pragma once

#include <QString>
#include <map>

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

// Sets "anzeigen" in the settings table "<index>_einstellungen"; false on failure.
bool setAnzeigen(const QString& dbPath, const QString& index, const QString& anzeigen);
