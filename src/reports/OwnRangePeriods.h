#pragma once

#include <QDate>

#include <vector>

// One period of the own-range table: from its first to its last day, both included.
struct OwnRangePeriod
{
    QDate start;
    QDate end;
};

// The own-range periods for stored days from `firstDay` to `lastDay`. When
// `toDay` is before `fromDay` a period crosses into the next month: the first
// starts on `fromDay` of the month before the first day's month, each ends on
// `toDay` of the month after its start, and the last starts in the month
// before the last day's month. Otherwise each period lies within one month,
// from the first day's month to the last day's, so that no day counts twice.
// Days are 1..28.
std::vector<OwnRangePeriod> ownRangePeriods(const QDate& firstDay, const QDate& lastDay, int fromDay, int toDay);
