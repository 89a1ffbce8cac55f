// The periods of data plans: which days one period holds, for every kind, at the edges of
// months, years, leap days and clock changes.
#include "config/PlanPeriod.h"
#include "support/QtPrinters.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

QDate d(const char* iso)
{
    return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

TEST(PlanPeriod, HoldsTheDayForEveryKindOfPeriod)
{
    const struct
    {
        const char* what;
        PlanZeitraum zeitraum;
        int starttag;
        const char* beginn;
        int dauer;
        const char* day;
        const char* start;
        const char* end;
    } cases[] = {
        {"a day at its first moment", PlanZeitraum::Tag, 1, "", 0, "2026-12-09", "2026-12-09", "2026-12-09"},
        {"a week over New Year", PlanZeitraum::Woche, 1, "", 0, "2027-01-01", "2026-12-28", "2027-01-03"},
        {"a week on its Sunday", PlanZeitraum::Woche, 1, "", 0, "2027-01-03", "2026-12-28", "2027-01-03"},
        {"a week on its Monday", PlanZeitraum::Woche, 1, "", 0, "2026-12-28", "2026-12-28", "2027-01-03"},
        {"month from the 1st", PlanZeitraum::Monat, 1, "", 0, "2026-12-11", "2026-12-01", "2026-12-31"},
        {"month from the 15th, before it", PlanZeitraum::Monat, 15, "", 0, "2026-12-11", "2026-11-15", "2026-12-14"},
        {"month from the 15th, on it", PlanZeitraum::Monat, 15, "", 0, "2026-12-15", "2026-12-15", "2027-01-14"},
        {"31st into a leap February", PlanZeitraum::Monat, 31, "", 0, "2024-02-10", "2024-01-31", "2024-02-28"},
        {"31st on the leap day", PlanZeitraum::Monat, 31, "", 0, "2024-02-29", "2024-02-29", "2024-03-30"},
        {"31st into a common February", PlanZeitraum::Monat, 31, "", 0, "2026-02-27", "2026-01-31", "2026-02-27"},
        {"31st on a common February's end", PlanZeitraum::Monat, 31, "", 0, "2026-02-28", "2026-02-28", "2026-03-30"},
        {"31st in a 30-day month", PlanZeitraum::Monat, 31, "", 0, "2026-04-30", "2026-04-30", "2026-05-30"},
        {"29th in a common February", PlanZeitraum::Monat, 29, "", 0, "2026-03-01", "2026-02-28", "2026-03-28"},
        {"29th in a leap February", PlanZeitraum::Monat, 29, "", 0, "2024-03-01", "2024-02-29", "2024-03-28"},
        {"30th over the year's end", PlanZeitraum::Monat, 30, "", 0, "2027-01-05", "2026-12-30", "2027-01-29"},
        {"30 days from years back", PlanZeitraum::Tage, 1, "2019-03-17", 30, "2026-12-11", "2026-12-05", "2027-01-03"},
        {"30 days, on a period's first day", PlanZeitraum::Tage, 1, "2019-03-17", 30, "2026-12-05", "2026-12-05",
         "2027-01-03"},
        {"30 days, on a period's last day", PlanZeitraum::Tage, 1, "2019-03-17", 30, "2026-12-04", "2026-11-05",
         "2026-12-04"},
        {"one day long", PlanZeitraum::Tage, 1, "2026-01-01", 1, "2026-12-11", "2026-12-11", "2026-12-11"},
    };
    for (const auto& c : cases) {
        PlanPeriodRule rule;
        rule.zeitraum = c.zeitraum;
        rule.starttag = c.starttag;
        rule.beginn = d(c.beginn);
        rule.dauer = c.dauer;
        const PlanPeriod p = planPeriod(rule, d(c.day));
        EXPECT_EQ(p.start, d(c.start)) << c.what;
        EXPECT_EQ(p.end, d(c.end)) << c.what;
        // Periods follow each other without gap or overlap.
        const PlanPeriod before = previousPlanPeriod(rule, p);
        EXPECT_EQ(before.end.addDays(1), p.start) << c.what;
        EXPECT_EQ(planPeriod(rule, p.end.addDays(1)).start, p.end.addDays(1)) << c.what;
    }
}

TEST(PlanPeriod, ElapsedCountsLocalTimeAcrossClockChanges)
{
    // A zone with summer time, whatever the machine's own is.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const PlanPeriod day{d("2026-03-29"), d("2026-03-29")}; // 23 hours: clocks go forward at 2:00
    EXPECT_DOUBLE_EQ(day.elapsed(QDateTime(d("2026-03-29"), QTime(0, 0))), 0.0);
    EXPECT_NEAR(day.elapsed(QDateTime(d("2026-03-29"), QTime(12, 0))), 11.0 / 23.0, 1e-9);
    EXPECT_DOUBLE_EQ(day.elapsed(QDateTime(d("2026-03-30"), QTime(0, 0))), 1.0);
    const PlanPeriod autumn{d("2026-10-25"), d("2026-10-25")}; // 25 hours
    EXPECT_NEAR(autumn.elapsed(QDateTime(d("2026-10-25"), QTime(12, 0))), 13.0 / 25.0, 1e-9);
    const PlanPeriod month{d("2026-12-01"), d("2026-12-31")};
    EXPECT_NEAR(month.elapsed(QDateTime(d("2026-12-16"), QTime(12, 0))), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(month.elapsed(QDateTime(d("2026-11-30"), QTime(12, 0))), 0.0) << "before it: nothing";
    qunsetenv("TZ");
    tzset();
}

} // namespace
