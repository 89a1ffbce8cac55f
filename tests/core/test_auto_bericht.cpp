// The automatic report's rhythm on a moving clock: hourly checks, a report on
// the chosen day, then a pause of 48 hours.
#include "fakes/FakeClock.h"
#include "reports/AutoBerichtRhythm.h"

#include <gtest/gtest.h>

namespace {

using namespace AutoBerichtRhythm;

// Runs the timer from `start` until `end` as a timer would fire it: the first
// check an hour after the start, each next one an interval after the last.
std::vector<QDateTime> reportsBetween(const QDateTime& start, const QDateTime& end, const QString& day,
                                      std::vector<QDateTime>* checks = nullptr)
{
    FakeClock clock(start);
    int interval = kHourMs;
    std::vector<QDateTime> reports;
    for (clock.advanceSeconds(interval / 1000); clock.now() < end; clock.advanceSeconds(interval / 1000)) {
        if (checks)
            checks->push_back(clock.now());
        const Tick t = tick(interval, clock.today(), day);
        if (t.startReport)
            reports.push_back(clock.now());
        interval = t.interval;
    }
    return reports;
}

TEST(AutoBericht, OneReportPerMonthOnTheChosenDayThenAFortyEightHourPause)
{
    std::vector<QDateTime> checks;
    const auto reports = reportsBetween(QDateTime(QDate(2026, 11, 30), QTime(22, 30)),
                                        QDateTime(QDate(2027, 2, 15), QTime(0, 0)), QStringLiteral("1"), &checks);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0], QDateTime(QDate(2026, 12, 1), QTime(0, 30))) << "the first check on the first";
    EXPECT_EQ(reports[1].date(), QDate(2027, 1, 1));
    EXPECT_EQ(reports[2].date(), QDate(2027, 2, 1));
    // The check after the report comes 48 hours later, on the third, and hourly from then on.
    const auto after = std::find(checks.begin(), checks.end(), reports[0]) + 1;
    EXPECT_EQ(*after, QDateTime(QDate(2026, 12, 3), QTime(0, 30)));
    EXPECT_EQ(*(after + 1), QDateTime(QDate(2026, 12, 3), QTime(1, 30)));
}

TEST(AutoBericht, DayTextsThatNeverMatch)
{
    const QDateTime start(QDate(2026, 11, 1), QTime(0, 0));
    const QDateTime end(QDate(2027, 3, 1), QTime(0, 0));
    for (const char* day : {"", "05", "0", "32", " 5", "5 "})
        EXPECT_TRUE(reportsBetween(start, end, QString::fromLatin1(day)).empty()) << '"' << day << '"';
    // The 31st: only the months that have one.
    const auto reports = reportsBetween(start, end, QStringLiteral("31"));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].date(), QDate(2026, 12, 31));
    EXPECT_EQ(reports[1].date(), QDate(2027, 1, 31));
}

TEST(AutoBericht, APauseEndsAtTheNextTickWhateverTheDay)
{
    Tick t = tick(kPauseMs, QDate(2026, 12, 1), QStringLiteral("1"));
    EXPECT_TRUE(t.startReport) << "the pause ends before the day is checked";
    EXPECT_EQ(t.interval, kPauseMs);
    t = tick(kPauseMs, QDate(2026, 12, 3), QStringLiteral("1"));
    EXPECT_FALSE(t.startReport);
    EXPECT_EQ(t.interval, kHourMs);
}

} // namespace
