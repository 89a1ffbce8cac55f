// Dates as typed into the statistics fields, and dates and amounts as the
// user's regional settings write them.
#include "reports/LocaleTexts.h"
#include "reports/TypedDate.h"

#include <QLocale>
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 9);

TEST(TypedDate, ReadsDatesInTheOrderOfThePattern)
{
    struct Case
    {
        const char* text;
        const char* pattern;
        QDate expected; // invalid: no date
    };
    const Case cases[] = {
        {"01.12.2026", "dd.MM.yyyy", QDate(2026, 12, 1)},
        {"1.2.2026", "dd.MM.yyyy", QDate(2026, 2, 1)},
        {" 01.12.2026 ", "dd.MM.yyyy", QDate(2026, 12, 1)},
        {"01/12/2026", "dd.MM.yyyy", QDate(2026, 12, 1)},
        {"12/1/2026", "M/d/yyyy", QDate(2026, 12, 1)},
        {"2026-12-01", "yyyy-MM-dd", QDate(2026, 12, 1)},
        {"26. 12. 1.", "yy. M. d.", QDate(2026, 12, 1)},
        {"01.12.", "dd.MM.yyyy", QDate(2026, 12, 1)},
        {"01.12", "dd.MM.yyyy", QDate(2026, 12, 1)},
        {"01.12.26", "dd.MM.yyyy", QDate(2026, 12, 1)},
        {"01.12.76", "dd.MM.yyyy", QDate(2076, 12, 1)},
        {"01.12.77", "dd.MM.yyyy", QDate(1977, 12, 1)},
        {"29.02.2028", "dd.MM.yyyy", QDate(2028, 2, 29)},
        // Wrong forms
        {"", "dd.MM.yyyy", {}},
        {"2026", "dd.MM.yyyy", {}},
        {"29.02.2026", "dd.MM.yyyy", {}},
        {"32.01.2026", "dd.MM.yyyy", {}},
        {"01.13.2026", "dd.MM.yyyy", {}},
        {"00.01.2026", "dd.MM.yyyy", {}},
        {"01..12.2026", "dd.MM.yyyy", {}},
        {".01.12.2026", "dd.MM.yyyy", {}},
        {"01.12.2026.5", "dd.MM.yyyy", {}},
        {"1a.12.2026", "dd.MM.yyyy", {}},
        {"01 12 2026", "dd.MM.yyyy", {}},
        {"001.12.2026", "dd.MM.yyyy", {}},
        {"01.12.20266", "dd.MM.yyyy", {}},
        {"99999999999999999999.1.1", "dd.MM.yyyy", {}},
        {"01.12.0", "dd.MM.yyyy", QDate(2000, 12, 1)},
        {"01.12.0000", "dd.MM.yyyy", {}},
        {"-1.12.2026", "dd.MM.yyyy", {}},
    };
    for (const Case& c : cases) {
        const std::optional<QDate> parsed =
            parseTypedDate(QString::fromUtf8(c.text), QString::fromLatin1(c.pattern), kToday);
        if (c.expected.isValid()) {
            ASSERT_TRUE(parsed.has_value()) << c.text;
            EXPECT_EQ(*parsed, c.expected) << c.text;
        } else {
            EXPECT_FALSE(parsed.has_value()) << c.text << " read as " << parsed->toString().toStdString();
        }
    }
}

TEST(TypedDate, DigitsOfOtherScriptsCountAsDigits)
{
    // Arabic-Indic digits, as some locales write them.
    EXPECT_EQ(parseTypedDate(QStringLiteral("\u0660\u0661.\u0661\u0662.\u0662\u0660\u0662\u0666"),
                             QStringLiteral("dd.MM.yyyy"), kToday),
              QDate(2026, 12, 1));
}

TEST(LocaleTexts, ShortDatesHaveFourDigitYearsAndReadBack)
{
    struct Case
    {
        QLocale locale;
        const char* pattern;
        const char* text;
    };
    const Case cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), "dd.MM.yyyy", "03.01.2027"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "M/d/yyyy", "1/3/2027"},
        {QLocale(QLocale::Swedish, QLocale::Sweden), "yyyy-MM-dd", "2027-01-03"},
        // A short date with a month name cannot be typed back: day, month and year numbers instead.
        {QLocale::c(), "dd.MM.yyyy", "03.01.2027"},
    };
    for (const Case& c : cases) {
        const LocaleTexts texts(c.locale);
        EXPECT_EQ(texts.shortDatePattern(), QString::fromLatin1(c.pattern)) << c.locale.name().toStdString();
        EXPECT_EQ(texts.shortDate(QDate(2027, 1, 3)), QString::fromLatin1(c.text));
        EXPECT_EQ(parseTypedDate(texts.shortDate(QDate(2027, 1, 3)), texts.shortDatePattern(), kToday),
                  QDate(2027, 1, 3));
    }
}

TEST(LocaleTexts, FixedAmountsHaveTwoDecimalsAndNoGroupSeparator)
{
    const LocaleTexts german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.fixed(0), "0,00");
    EXPECT_EQ(german.fixed(1234567.891L), "1234567,89");
    EXPECT_EQ(german.fixed(0.004L), "0,00");
    EXPECT_EQ(german.fixed(-0.001L), "0,00");
    EXPECT_EQ(german.fixed(2.5L), "2,50");
    EXPECT_EQ(german.fixed(1e20L), "100000000000000000000,00");
    const LocaleTexts english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(english.fixed(1234.5L), "1234.50");
    // A locale with digits of its own keeps them, like the rest of the program's figures.
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    EXPECT_EQ(LocaleTexts(arabic).fixed(12.5L), QLocale(arabic).toString(12.5, 'f', 2).remove(arabic.groupSeparator()));
}

TEST(LocaleTexts, LongTimeLeavesOutTheZone)
{
    EXPECT_EQ(LocaleTexts(QLocale(QLocale::German, QLocale::Germany)).longTime(QTime(13, 5, 7)), "13:05:07");
    EXPECT_EQ(LocaleTexts(QLocale(QLocale::English, QLocale::UnitedStates)).longTime(QTime(13, 5, 7)), "1:05:07 PM");
    EXPECT_EQ(LocaleTexts(QLocale(QLocale::German, QLocale::Germany)).longDate(QDate(2026, 12, 8)),
              "Dienstag, 8. Dezember 2026");
}

} // namespace
