#include "config/PlanPeriod.h"

#include <QTimeZone>

#include <algorithm>

namespace {

// The first day of the monthly period that starts in `month`'s month.
QDate monthStart(const QDate& month, int starttag)
{
    const QDate first(month.year(), month.month(), 1);
    return first.addDays(std::min(starttag, first.daysInMonth()) - 1);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

} // namespace

double PlanPeriod::elapsed(const QDateTime& now) const
{
    const QDateTime from(start, QTime(0, 0));
    const QDateTime to(end.addDays(1), QTime(0, 0));
    const qint64 whole = from.secsTo(to);
    if (whole <= 0)
        return 1;
    return std::clamp(static_cast<double>(from.secsTo(now)) / static_cast<double>(whole), 0.0, 1.0);
}

PlanPeriod planPeriod(const PlanPeriodRule& rule, const QDate& day)
{
    switch (rule.zeitraum) {
    case PlanZeitraum::Tag:
        return {day, day};
    case PlanZeitraum::Woche: {
        const QDate monday = day.addDays(1 - day.dayOfWeek());
        return {monday, monday.addDays(6)};
    }
    case PlanZeitraum::Monat: {
        QDate start = monthStart(day, rule.starttag);
        if (day < start)
            start = monthStart(day.addMonths(-1), rule.starttag);
        return {start, monthStart(start.addMonths(1), rule.starttag).addDays(-1)};
    }
    case PlanZeitraum::Tage: {
        const int length = std::max(1, rule.dauer);
        const qint64 k = floorDiv(rule.beginn.daysTo(day), length);
        const QDate start = rule.beginn.addDays(k * length);
        return {start, start.addDays(length - 1)};
    }
    }
    return {day, day};
}

PlanPeriod previousPlanPeriod(const PlanPeriodRule& rule, const PlanPeriod& period)
{
    return planPeriod(rule, period.start.addDays(-1));
}
