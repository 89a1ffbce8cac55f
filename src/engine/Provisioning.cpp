#include "engine/Provisioning.h"

#include "acquisition/IfRow.h"
#include "acquisition/TNic.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/TrafficStatements.h"

#include <algorithm>
#include <limits>

QString defaultAnzeigen(bool dfu, uint32_t ifType)
{
    static const uint32_t shownTypes[] = {1, 6, 9, 71, 144};
    if (dfu || std::find(std::begin(shownTypes), std::end(shownTypes), ifType) != std::end(shownTypes))
        return QStringLiteral("11");
    return QStringLiteral("00");
}

int32_t defaultMaxspeed(bool dfu, uint64_t speedBitsPerSecond)
{
    if (dfu)
        return 0;
    return static_cast<int32_t>(
        std::min<uint64_t>(speedBitsPerSecond / 8, std::numeric_limits<int32_t>::max()));
}

ProvisioningResult provisionEntry(Database& db, TNic& nic, const IfRow* row)
{
    ProvisioningResult result;
    const QString& index = nic.Index;
    if (!TrafficStatements::probeTrafficTable(db, index)) {
        result.tablesCreated = true;
        try {
            TrafficStatements::createTrafficTable(db, index);
        } catch (const DatabaseError&) {
            result.warnings << QStringLiteral("Error3");
        }
        try {
            const bool dfu = nic.isDfu() || !row;
            SettingsRow defaults;
            defaults.anzeigen = defaultAnzeigen(dfu, row ? row->type : 0);
            defaults.maxspeed = defaultMaxspeed(dfu, row ? row->speed : 0);
            // Table and row together: never a settings table without its row.
            Database::Transaction transaction(db);
            TrafficStatements::createSettingsTable(db, index);
            TrafficStatements::insertSettingsRow(db, index, defaults);
            transaction.commit();
        } catch (const DatabaseError&) {
            result.warnings << QStringLiteral("Error4");
        }
    }
    result.settingsLoaded = nic.load_settings();
    return result;
}
