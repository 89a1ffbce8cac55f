#include "reports/StatistikPresets.h"

std::optional<PresetRange> presetRange(int index, const QDate& today)
{
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const QDate firstOfMonth(today.year(), today.month(), 1);
    switch (index) {
    case 1: return PresetRange{today, QDate()};
    case 2: return PresetRange{monday.addDays(-7), monday.addDays(-1)};
    case 3: return PresetRange{monday, monday.addDays(6)};
    case 4: return PresetRange{firstOfMonth.addMonths(-1), firstOfMonth.addDays(-1)};
    case 5: return PresetRange{firstOfMonth, firstOfMonth.addMonths(1).addDays(-1)};
    default: return std::nullopt;
    }
}
