#pragma once

#include <QDate>
#include <QDateTime>

// How a data plan's periods run.
enum class PlanZeitraum { Tag, Woche, Monat, Tage };

struct PlanPeriodRule
{
    PlanZeitraum zeitraum = PlanZeitraum::Monat;
    int starttag = 1; // Monat: 1-31; past a month's end, the month's last day
    QDate beginn;     // Tage: a day one period began
    int dauer = 30;   // Tage: days per period
};

// One period of a plan, both days included.
struct PlanPeriod
{
    QDate start;
    QDate end;

    bool contains(const QDate& day) const { return day >= start && day <= end; }
    bool operator==(const PlanPeriod& o) const { return start == o.start && end == o.end; }
    // The part of the period that has passed at `now`, 0 to 1, in local time (a day of 23 or
    // 25 hours counts as long as it is).
    double elapsed(const QDateTime& now) const;
};

// The period that holds `day`; weeks run Monday to Sunday.
PlanPeriod planPeriod(const PlanPeriodRule& rule, const QDate& day);
// The period before `period`.
PlanPeriod previousPlanPeriod(const PlanPeriodRule& rule, const PlanPeriod& period);
