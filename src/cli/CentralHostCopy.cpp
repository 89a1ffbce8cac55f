#include "cli/CentralHostCopy.h"

#include "cli/CentralAccess.h"
#include "storage/CentralStatements.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/PgConnection.h"
#include "storage/PgError.h"
#include "storage/SettingsRow.h"
#include "storage/TrafficStatements.h"

CentralHostCopy::CentralHostCopy() = default;

CentralHostCopy::~CentralHostCopy() = default;

bool CentralHostCopy::load(const QString& connectionString, const QString& host, QString& error)
{
    std::vector<CentralStatements::DayRow> days;
    try {
        PgConnection central(connectionString);
        const auto hosts = CentralStatements::findHosts(central, host);
        if (hosts.empty()) {
            error = QStringLiteral("no host with the id or name '%1' in the central database").arg(host);
            return false;
        }
        if (hosts.size() > 1) {
            QStringList ids;
            for (const auto& h : hosts)
                ids << h.id;
            error = QStringLiteral("%1 hosts are named '%2'; give one of their ids: %3")
                        .arg(hosts.size())
                        .arg(host, ids.join(QStringLiteral(", ")));
            return false;
        }
        m_hostId = hosts.front().id;
        m_hostName = hosts.front().name;
        days = CentralStatements::hostDays(central, m_hostId);
    } catch (const PgError& e) {
        error = CentralAccess::describe(e);
        return false;
    }
    if (!m_dir.isValid()) {
        error = QStringLiteral("no temporary folder for the host's days: %1").arg(m_dir.errorString());
        return false;
    }
    try {
        m_db = std::make_unique<Database>(m_dir.filePath(Database::fileName()));
        m_db->open(); // laid down from the shipped empty database
        Database::Transaction transaction(*m_db);
        QString table;
        for (const CentralStatements::DayRow& d : days) {
            if (d.adapter != table) {
                table = d.adapter;
                TrafficStatements::createTrafficTable(*m_db, table);
                TrafficStatements::createSettingsTable(*m_db, table);
                TrafficStatements::insertSettingsRow(*m_db, table, SettingsRow());
                m_adapters.push_back({table, d.adapterName, d.mac});
            } else if (!d.adapterName.isEmpty()) {
                m_adapters.back().name = d.adapterName; // the name of its latest day
            }
            TrafficStatements::insertDay(*m_db, table, d.day, static_cast<double>(d.received),
                                         static_cast<double>(d.sent));
        }
        transaction.commit();
    } catch (const DatabaseError& e) {
        error = e.message();
        return false;
    }
    return true;
}
