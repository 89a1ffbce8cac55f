#pragma once

#include <QDate>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class Database;
class LocaleTexts;
class TSprache;

// What one statistics query asks for. An empty limit is no limit.
struct StatistikRequest
{
    QString table;
    std::optional<QDate> from;
    std::optional<QDate> to;
    // The day the unbooked traffic belongs to: today, or the day before in the
    // minute after midnight until that day is booked.
    QDate today;
    // Counted since the last booking; added to today's row, which is listed
    // with it alone when nothing of today is stored yet.
    long double unbookedReceived = 0;
    long double unbookedSent = 0;
};

struct StatistikDay
{
    QDate day;       // invalid when the stored Datum is no date
    QString dayText; // the stored Datum as it is
    std::optional<long double> received; // nothing when the stored value is no number
    std::optional<long double> sent;
};

// The stored days of the range in date order, today's row with the unbooked
// traffic added, and the sums. A value that is no number adds nothing.
struct StatistikData
{
    std::vector<StatistikDay> days;
    long double totalReceived = 0;
    long double totalSent = 0;

    // Per stored day, not per calendar day; 0 without days.
    long double averageReceived() const;
    long double averageSent() const;
};

// Throws DatabaseError when the table cannot be read.
StatistikData queryStatistik(Database& db, const StatistikRequest& request);

// The grid and the four total fields as the statistics tab shows them.
// One day of the chart beside the table: a value that is no number draws as 0.
struct StatistikBar
{
    double received = 0;
    double sent = 0;
};

struct StatistikView
{
    std::array<QString, 3> headers;
    std::vector<std::array<QString, 3>> rows;
    std::vector<StatistikBar> bars; // one per row
    int base = 1024;
    QString averageReceived; // EditD1
    QString averageSent;     // EditD2
    QString totalReceived;   // EditD5
    QString totalSent;       // EditD6
};

StatistikView formatStatistik(const StatistikData& data, int base, const TSprache& sprache, const LocaleTexts& texts);

Q_DECLARE_METATYPE(StatistikView)
