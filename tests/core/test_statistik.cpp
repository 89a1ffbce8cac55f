// The statistics query: range presets, the stored days of a range, today's
// unbooked traffic, totals and averages, and what a bad table or value shows.
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "reports/LocaleTexts.h"
#include "reports/StatistikPresets.h"
#include "reports/StatistikQuery.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(StatistikPresets, WeeksRunMondayToSundayAndJanuaryLooksBackToDecember)
{
    struct Case
    {
        QDate today;
        int index;
        QDate from;
        QDate to; // invalid: left empty
    };
    const QDate wednesday(2026, 12, 9);
    const Case cases[] = {
        {wednesday, 1, wednesday, {}},
        {wednesday, 2, QDate(2026, 11, 30), QDate(2026, 12, 6)},
        {wednesday, 3, QDate(2026, 12, 7), QDate(2026, 12, 13)},
        {wednesday, 4, QDate(2026, 11, 1), QDate(2026, 11, 30)},
        {wednesday, 5, QDate(2026, 12, 1), QDate(2026, 12, 31)},
        {QDate(2027, 1, 15), 4, QDate(2026, 12, 1), QDate(2026, 12, 31)},
        {QDate(2027, 1, 3), 3, QDate(2026, 12, 28), QDate(2027, 1, 3)}, // a Sunday ends its own week
        {QDate(2027, 1, 4), 2, QDate(2026, 12, 28), QDate(2027, 1, 3)}, // a Monday looks back a whole week
        {QDate(2028, 2, 29), 5, QDate(2028, 2, 1), QDate(2028, 2, 29)},
        {QDate(2027, 3, 31), 4, QDate(2027, 2, 1), QDate(2027, 2, 28)}, // a month end
        {QDate(2027, 3, 31), 5, QDate(2027, 3, 1), QDate(2027, 3, 31)},
    };
    for (const Case& c : cases) {
        const std::optional<PresetRange> r = presetRange(c.index, c.today);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->from, c.from) << c.today.toString().toStdString() << " preset " << c.index;
        EXPECT_EQ(r->to, c.to) << c.today.toString().toStdString() << " preset " << c.index;
    }
    EXPECT_FALSE(presetRange(0, wednesday).has_value()) << "own dates leave the fields alone";
    EXPECT_FALSE(presetRange(6, wednesday).has_value());
}

class StatistikQueryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        layDownShippedFiles(home.folder());
        sprache.Laden(QStringLiteral("deutsch.lan"));
        ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), "0000000b",
                                     {{"2026-12-01", 10.0, 1024.0}, {"2026-12-03", 20.0, 2048.0},
                                      {"2026-12-08", 30.0, 3072.0}, {"2026-11-30", 5.0, 5.0}}));
        request.table = QStringLiteral("0000000b");
        request.today = QDate(2026, 12, 9);
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    StatistikData query()
    {
        Database db(home.file("Datenbank.mdb"));
        return queryStatistik(db, request);
    }
    StatistikView view(const StatistikData& data, int base = 1024)
    {
        return formatStatistik(data, base, sprache, LocaleTexts());
    }

    TempHome home;
    TSprache sprache;
    StatistikRequest request;
};

TEST_F(StatistikQueryTest, RangeListsStoredDaysInOrderWithTotalsAndAveragesPerStoredDay)
{
    request.from = QDate(2026, 12, 1);
    request.to = QDate(2026, 12, 31);
    const StatistikData data = query();
    ASSERT_EQ(data.days.size(), 3u);
    EXPECT_EQ(data.days[0].day, QDate(2026, 12, 1));
    EXPECT_EQ(data.days[2].day, QDate(2026, 12, 8));
    EXPECT_EQ(data.totalReceived, 60);
    EXPECT_EQ(data.averageReceived(), 20) << "days without a row do not count";
    const StatistikView v = view(data);
    EXPECT_EQ(v.headers, (std::array<QString, 3>{"Datum", "Empfangen", "Gesendet"}));
    EXPECT_EQ(v.rows[0], (std::array<QString, 3>{"01.12.2026", "10,00 Byte", "1024,00 Byte"}));
    EXPECT_EQ(v.rows[1][2], "2,00 KiB");
    EXPECT_EQ(v.totalReceived, "60,00 Byte");
    EXPECT_EQ(v.totalSent, "6,00 KiB");
    EXPECT_EQ(v.averageReceived, "20,00 Byte");
    EXPECT_EQ(v.averageSent, "2,00 KiB");
    EXPECT_EQ(view(data, 1000).totalSent, "6,14 KB");
}

TEST_F(StatistikQueryTest, NoLimitsListEveryDayAndOneLimitIsOpenOnTheOtherSide)
{
    EXPECT_EQ(query().days.size(), 4u);
    EXPECT_EQ(query().days[0].day, QDate(2026, 11, 30));
    request.from = QDate(2026, 12, 3);
    EXPECT_EQ(query().days.size(), 2u);
    request.from.reset();
    request.to = QDate(2026, 12, 1);
    EXPECT_EQ(query().days.size(), 2u);
    request.from = QDate(2026, 12, 1);
    EXPECT_EQ(query().days.size(), 1u) << "a range of one day";
}

TEST_F(StatistikQueryTest, EmptyRangeShowsZerosInAllFourFields)
{
    request.from = QDate(2027, 1, 1);
    request.to = QDate(2027, 1, 31);
    const StatistikView v = view(query());
    EXPECT_TRUE(v.rows.empty());
    for (const QString& field : {v.totalReceived, v.totalSent, v.averageReceived, v.averageSent})
        EXPECT_EQ(field, "0");
}

TEST_F(StatistikQueryTest, TodaysRowAddsTheUnbookedTrafficAndIsListedBeforeItIsStored)
{
    request.unbookedReceived = 1000;
    request.unbookedSent = 24;
    request.today = QDate(2026, 12, 8);
    StatistikData data = query();
    EXPECT_EQ(*data.days.back().received, 1030);
    EXPECT_EQ(*data.days.back().sent, 3096);
    EXPECT_EQ(data.totalReceived, 1065);
    EXPECT_EQ(view(data).rows.back()[1], "1,01 KiB");

    request.today = QDate(2026, 12, 9); // no row for today yet: the usual case until midnight
    data = query();
    ASSERT_EQ(data.days.size(), 5u);
    EXPECT_EQ(data.days.back().day, QDate(2026, 12, 9));
    EXPECT_EQ(*data.days.back().received, 1000);
    EXPECT_EQ(*data.days.back().sent, 24);
    EXPECT_EQ(data.totalReceived, 1065);
    EXPECT_EQ(view(data).rows.back()[0], "09.12.2026");

    request.today = QDate(2026, 12, 2); // between stored days: listed in date order
    data = query();
    ASSERT_EQ(data.days.size(), 5u);
    EXPECT_EQ(data.days[2].day, QDate(2026, 12, 2));
    EXPECT_LT(data.days[1].day, data.days[2].day);
    EXPECT_LT(data.days[2].day, data.days[3].day);

    request.to = QDate(2026, 12, 1); // today outside the range
    EXPECT_EQ(query().days.size(), 2u);
    request.to.reset();
    request.unbookedReceived = request.unbookedSent = 0; // nothing counted yet today
    EXPECT_EQ(query().days.size(), 4u);
}

TEST_F(StatistikQueryTest, AValueThatIsNoNumberShowsFehlerAndAddsNothing)
{
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), "0000000b",
                                 {{"2026-12-05", QStringLiteral("abc"), 7.0}, {"2026-12-06", QVariant(), 1.0}}));
    request.from = QDate(2026, 12, 5);
    request.to = QDate(2026, 12, 6);
    const StatistikData data = query();
    const StatistikView v = view(data);
    EXPECT_EQ(v.rows[0], (std::array<QString, 3>{"05.12.2026", "Fehler", "7,00 Byte"}));
    EXPECT_EQ(v.rows[1][1], "Fehler");
    EXPECT_EQ(v.totalReceived, "0,00 Byte");
    EXPECT_EQ(v.totalSent, "8,00 Byte");
}

TEST_F(StatistikQueryTest, MissingTableOrLockedDatabaseFails)
{
    request.table = QStringLiteral("0000000f");
    EXPECT_THROW(query(), DatabaseError);

    request.table = QStringLiteral("0000000b");
    Database locker(home.file("Datenbank.mdb"));
    locker.query(QStringLiteral("PRAGMA journal_mode=DELETE"));
    locker.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    Database::Options reading = Database::readOnlyOptions();
    reading.busyTimeoutMs = 100;
    Database db(home.file("Datenbank.mdb"), reading);
    try {
        queryStatistik(db, request);
        ADD_FAILURE() << "a locked database was read";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("locked")) << e.message().toStdString();
    }
}

} // namespace
