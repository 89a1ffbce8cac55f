#include "config/SpeedPresets.h"

const std::vector<SpeedPreset>& speedPresets()
{
    static const std::vector<SpeedPreset> presets = {
        {QStringLiteral("33 KBit (Modem)"), 3800},
        {QStringLiteral("56 KBit (Modem)"), 6400},
        {QStringLiteral("64 KBit (ISDN)"), 7300},
        {QStringLiteral("128 KBit (ISDN)"), 15000},
        {QStringLiteral("384 KBit (DSL)"), 45000},
        {QStringLiteral("768 KBit (DSL)"), 90000},
        {QStringLiteral("1000 KBit (DSL 1000)"), 125000},
        {QStringLiteral("2000 KBit (DSL 2000)"), 250000},
        {QStringLiteral("4000 KBit (DSL 4000)"), 500000},
        {QStringLiteral("6000 KBit (DSL 6000)"), 750000},
        {QStringLiteral("10 MBit (T1 / Ethernet)"), 1137778},
        {QStringLiteral("100 Mbit (Fast Ethernet)"), 11377780},
        {QStringLiteral("155 Mbit (T3)"), 17635556},
        {QStringLiteral("1000 MBit (Gigabit LAN)"), 113777800},
    };
    return presets;
}
