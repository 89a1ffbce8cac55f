// The period tables of a report: months and years through the period list,
// and the own-range periods.
#include "reports/BerichtOptions.h"
#include "reports/LocaleTexts.h"
#include "reports/OwnRangePeriods.h"
#include "reports/PeriodList.h"

#include <QLocale>
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class PeriodListTest : public ::testing::Test
{
protected:
    LocaleTexts texts{QLocale(QLocale::German, QLocale::Germany)};
};

TEST_F(PeriodListTest, TwoRowsOfOneMonthMakeOneLineOfSumsAndAveragesOverThirtyPointFourTwoDays)
{
    const std::vector<TrafficDay> days = {{QDate(2007, 6, 1), 3042, 6084}, {QDate(2007, 6, 30), 3042, 0}};
    const QStringList list = periodList(days, PeriodKind::Month, 1, 1 / 30.42L, texts);
    EXPECT_EQ(list, QStringList({"", "06/2007", "6084,00", "6084,00", "200,00", "200,00"}));
    EXPECT_EQ(periodLines(list), QStringList({"<tr align=\"right\"><td>06/2007</td><td>6084,00</td><td>6084,00</td>"
                                              "<td>200,00</td><td>200,00</td></tr>"}));
}

TEST_F(PeriodListTest, AZeroYearBeforeAYearWithTrafficPrintsZerosInAllFourCells)
{
    const std::vector<TrafficDay> days = {{QDate(2005, 3, 1), 0, 0}, {QDate(2005, 9, 1), 0, 0},
                                          {QDate(2006, 1, 1), 12e9L, 24e9L}};
    const QStringList list = periodList(days, PeriodKind::Year, 1e9L, 1 / 12.0L, texts);
    EXPECT_EQ(list, QStringList({"", "2005", "0,00", "0,00", "0,00", "0,00", "2006", "12,00", "24,00", "1,00", "2,00"}));
}

TEST_F(PeriodListTest, AZeroLastPeriodStillPrintsItsSumsAndAverages)
{
    const std::vector<TrafficDay> days = {{QDate(2006, 11, 2), 1024, 0}, {QDate(2006, 12, 2), 0, 0}};
    const QStringList lines = periodLines(periodList(days, PeriodKind::Month, 1024, 1 / 30.42L, texts));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "<tr align=\"right\"><td>11/2006</td><td>1,00</td><td>0,00</td><td>0,03</td><td>0,00</td></tr>");
    EXPECT_EQ(lines[1], "<tr align=\"right\"><td>12/2006</td><td>0,00</td><td>0,00</td><td>0,00</td><td>0,00</td></tr>");
}

TEST_F(PeriodListTest, NoDaysNoLines)
{
    EXPECT_EQ(periodList({}, PeriodKind::Month, 1, 1, texts), QStringList({""}));
    EXPECT_TRUE(periodLines({""}).isEmpty());
}

TEST(OwnRangePeriods, EachStartsTheMonthBeforeAndTheLastStartsBeforeTheLastRowsMonth)
{
    const auto periods = ownRangePeriods(QDate(2026, 3, 3), QDate(2026, 5, 20), 15, 14);
    ASSERT_EQ(periods.size(), 3u);
    EXPECT_EQ(periods[0].start, QDate(2026, 2, 15));
    EXPECT_EQ(periods[0].end, QDate(2026, 3, 14));
    EXPECT_EQ(periods[1].start, QDate(2026, 3, 15));
    EXPECT_EQ(periods[2].start, QDate(2026, 4, 15));
    EXPECT_EQ(periods[2].end, QDate(2026, 5, 14)) << "the rows after 14 May are in no period";
}

TEST(OwnRangePeriods, NovemberEndsInDecemberAndDecemberInJanuaryOfTheNextYear)
{
    const auto periods = ownRangePeriods(QDate(2026, 12, 5), QDate(2027, 1, 20), 2, 1);
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(periods[0].start, QDate(2026, 11, 2));
    EXPECT_EQ(periods[0].end, QDate(2026, 12, 1));
    EXPECT_EQ(periods[1].start, QDate(2026, 12, 2));
    EXPECT_EQ(periods[1].end, QDate(2027, 1, 1));
}

TEST(OwnRangePeriods, ToDayNotBeforeFromDayKeepsEachPeriodInItsMonthSoNoDayCountsTwice)
{
    const struct
    {
        QDate first;
        QDate last;
        int fromDay;
        int toDay;
        std::vector<std::pair<QDate, QDate>> periods;
    } cases[] = {
        {QDate(2026, 12, 5), QDate(2027, 1, 20), 1, 28,   // the defaults
         {{QDate(2026, 12, 1), QDate(2026, 12, 28)}, {QDate(2027, 1, 1), QDate(2027, 1, 28)}}},
        // Rows within one month still make the one period that holds them.
        {QDate(2027, 1, 3), QDate(2027, 1, 9), 1, 28, {{QDate(2027, 1, 1), QDate(2027, 1, 28)}}},
        {QDate(2026, 3, 3), QDate(2026, 5, 20), 10, 10,
         {{QDate(2026, 3, 10), QDate(2026, 3, 10)}, {QDate(2026, 4, 10), QDate(2026, 4, 10)},
          {QDate(2026, 5, 10), QDate(2026, 5, 10)}}},
    };
    for (const auto& c : cases) {
        const auto periods = ownRangePeriods(c.first, c.last, c.fromDay, c.toDay);
        ASSERT_EQ(periods.size(), c.periods.size()) << c.fromDay << "-" << c.toDay;
        for (size_t i = 0; i < periods.size(); ++i) {
            EXPECT_EQ(periods[i].start, c.periods[i].first) << i;
            EXPECT_EQ(periods[i].end, c.periods[i].second) << i;
            if (i > 0) {
                EXPECT_LT(periods[i - 1].end, periods[i].start) << "periods overlap";
            }
        }
    }
}

TEST(OwnRangePeriods, DaysOutsideOneToTwentyEightAreKeptInside)
{
    EXPECT_EQ(ownRangeDay(QStringLiteral("0"), 1), 1);
    EXPECT_EQ(ownRangeDay(QStringLiteral("31"), 28), 28);
    EXPECT_EQ(ownRangeDay(QStringLiteral(""), 1), 1);
    EXPECT_EQ(ownRangeDay(QStringLiteral(""), 28), 28);
    EXPECT_EQ(ownRangeDay(QStringLiteral("abc"), 28), 28);
    EXPECT_EQ(ownRangeDay(QStringLiteral("99999999999"), 1), 1);
    EXPECT_EQ(ownRangeDay(QStringLiteral("15"), 1), 15);
    const auto periods = ownRangePeriods(QDate(2026, 3, 3), QDate(2026, 4, 3), ownRangeDay("0", 1), ownRangeDay("31", 28));
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(periods[0].start, QDate(2026, 3, 1));
    EXPECT_EQ(periods[0].end, QDate(2026, 3, 28));
}

} // namespace
