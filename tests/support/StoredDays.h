#pragma once

#include "acquisition/Clock.h"
#include "acquisition/TNic.h"

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

// Every row of an adapter's traffic table, by day.
QList<DayValues> storedDays(Database& db, const QString& index);

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
