#include "reports/OwnRangePeriods.h"

std::vector<OwnRangePeriod> ownRangePeriods(const QDate& firstDay, const QDate& lastDay, int fromDay, int toDay)
{
    std::vector<OwnRangePeriod> periods;
    if (!firstDay.isValid() || !lastDay.isValid() || lastDay < firstDay)
        return periods;
    const QDate firstMonth(firstDay.year(), firstDay.month(), 1);
    const QDate lastMonth(lastDay.year(), lastDay.month(), 1);
    if (toDay >= fromDay) {
        for (QDate month = firstMonth; month <= lastMonth; month = month.addMonths(1))
            periods.push_back({QDate(month.year(), month.month(), fromDay), QDate(month.year(), month.month(), toDay)});
        return periods;
    }
    QDate month = firstMonth.addMonths(-1);
    do {
        const QDate next = month.addMonths(1);
        periods.push_back({QDate(month.year(), month.month(), fromDay), QDate(next.year(), next.month(), toDay)});
        month = next;
    } while (month < lastMonth);
    return periods;
}
