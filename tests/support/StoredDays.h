#pragma once

#include "base/Clock.h"
#include "acquisition/TNic.h"
#include "engine/PendingBookings.h"

#include <QDate>
#include <QList>
#include <memory>
#include <ostream>
#include <vector>

class Database;

// One traffic row as the test reads it back.
struct DayValues
{
    QDate day;
    double received;
    double send;
    bool operator==(const DayValues&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const DayValues& d)
{
    return os << d.day.toString(Qt::ISODate).toStdString() << " " << d.received << "/" << d.send;
}

// Amounts still owed by `entry`, all days together.
inline long double owedReceived(const PendingBookings& pending, const TNic* entry)
{
    long double sum = 0;
    for (const PendingBookings::Booking& b : pending.bookings())
        sum += b.entry == entry ? b.received : 0;
    return sum;
}

inline long double owedSend(const PendingBookings& pending, const TNic* entry)
{
    long double sum = 0;
    for (const PendingBookings::Booking& b : pending.bookings())
        sum += b.entry == entry ? b.send : 0;
    return sum;
}

// Every row of an adapter's traffic table, by day.
QList<DayValues> storedDays(Database& db, const QString& index);

// Puts traffic table `index` aside and leaves a table of that name that takes
// no booking (a table that is missing would be made again by the booking);
// restoreTrafficTable puts the table back as it was.
void setTrafficTableAside(Database& db, const QString& index);
void restoreTrafficTable(Database& db, const QString& index);

// Ethernet adapter entries provisioned in a real database, owned here.
class StoredAdapters
{
public:
    StoredAdapters(Database& db, const Clock& clock, const SampleContext& context);
    TNic* adapter(uint32_t ifIndex);

private:
    Database& m_db;
    const Clock& m_clock;
    const SampleContext& m_context;
    std::vector<std::unique_ptr<TNic>> m_owned;
};
