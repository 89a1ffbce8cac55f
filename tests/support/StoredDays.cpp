#include "support/StoredDays.h"

#include "storage/Database.h"
#include "storage/Provisioning.h"
#include "storage/TrafficStatements.h"

QList<DayValues> storedDays(Database& db, const QString& index)
{
    QList<DayValues> out;
    for (const DbRow& row : TrafficStatements::allDays(db, index))
        out.append({TrafficStatements::dayOfRow(row), row.toDouble(QStringLiteral("received")),
                    row.toDouble(QStringLiteral("send"))});
    return out;
}

StoredAdapters::StoredAdapters(Database& db, const Clock& clock, const SampleContext& context)
    : m_db(db)
    , m_clock(clock)
    , m_context(context)
{
}

TNic* StoredAdapters::adapter(uint32_t ifIndex)
{
    auto nic = std::make_unique<TNic>(&m_context);
    IfRow row;
    row.index = ifIndex;
    row.type = 6;
    row.speed = 100000000;
    nic->setIdentity(row, false);
    nic->setDatabase(&m_db);
    nic->setClock(&m_clock);
    provisionEntry(m_db, *nic, &row);
    m_owned.push_back(std::move(nic));
    return m_owned.back().get();
}
