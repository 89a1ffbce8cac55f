#include "support/StoredDays.h"

#include "storage/Database.h"
#include "engine/Provisioning.h"
#include "storage/TrafficStatements.h"

QList<DayValues> storedDays(Database& db, const QString& index)
{
    QList<DayValues> out;
    for (const DbRow& row : TrafficStatements::allDays(db, index))
        out.append({TrafficStatements::dayOfRow(row), row.toDouble(QStringLiteral("received")),
                    row.toDouble(QStringLiteral("send"))});
    return out;
}

void setTrafficTableAside(Database& db, const QString& index)
{
    const QString table = Database::quoteIdentifier(index);
    db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(table, Database::quoteIdentifier(index + "_aside")));
    db.exec(QStringLiteral("CREATE TABLE %1 (no_day_column)").arg(table));
}

void restoreTrafficTable(Database& db, const QString& index)
{
    TrafficStatements::dropTable(db, index);
    db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                .arg(Database::quoteIdentifier(index + "_aside"), Database::quoteIdentifier(index)));
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
