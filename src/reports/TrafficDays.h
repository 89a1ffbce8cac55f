#pragma once

#include <QDate>
#include <QString>

#include <vector>

class Database;

// One stored day of an adapter's traffic table, read for a report.
struct TrafficDay
{
    QDate day;
    long double received = 0;
    long double sent = 0;
};

// Every row of the traffic table `table`, oldest first. Throws DatabaseError
// when the table cannot be read or a row holds no date or a value that is no
// number; the message names the table, the row and the value.
std::vector<TrafficDay> loadTrafficDays(Database& db, const QString& table);
