#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class Database;
class TNic;
struct IfRow;

// What the start-up provisioning of one entry did; the window shows the warnings.
struct ProvisioningResult
{
    bool tablesCreated = false;   // the traffic table was missing
    QStringList warnings;         // language keys of section "Errors": "Error3", "Error4"
    bool settingsLoaded = false;  // result of load_settings (start-up ignores it)
};

// Default "anzeigen" of a new entry: network adapters of an unusual interface
// type start hidden; the dial-up entry is always shown.
QString defaultAnzeigen(bool dfu, uint32_t ifType);
// Line speed in bytes per second, saturating at the 32-bit maximum; 0 for dial-up.
int32_t defaultMaxspeed(bool dfu, uint64_t speedBitsPerSecond);

// Makes sure the entry's traffic and settings tables exist (creating them with
// a default settings row when its traffic table is missing), then loads the
// entry's settings. `row` is the entry's interface row; nullptr for dial-up.
// The tables are created on `db`; load_settings uses the entry's own connection.
ProvisioningResult provisionEntry(Database& db, TNic& nic, const IfRow* row);
