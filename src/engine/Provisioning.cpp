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

namespace {

// A settings table with the default row of a new entry. False when it could not be made.
bool createDefaultSettings(Database& db, const TNic& nic, const IfRow* row)
{
    try {
        const bool dfu = nic.isDfu() || !row;
        SettingsRow defaults;
        defaults.anzeigen = defaultAnzeigen(dfu, row ? row->type : 0);
        defaults.maxspeed = defaultMaxspeed(dfu, row ? row->speed : 0);
        // Table and row together: never a settings table without its row.
        Database::Transaction transaction(db);
        TrafficStatements::createSettingsTable(db, nic.Index);
        TrafficStatements::insertSettingsRow(db, nic.Index, defaults);
        transaction.commit();
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

} // namespace

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
        if (!createDefaultSettings(db, nic, row))
            result.warnings << QStringLiteral("Error4");
    } else if (!TrafficStatements::probeSettingsTable(db, index) && !createDefaultSettings(db, nic, row)) {
        // Deleted on the database tab: made again as for a new entry, its days kept.
        result.warnings << QStringLiteral("Error4");
    }
    result.settingsLoaded = nic.load_settings();
    return result;
}
