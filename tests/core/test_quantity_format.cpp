#include "config/QuantityFormat.h"
#include "config/TSprache.h"
#include "support/TempHome.h"

#include <QLocale>
#include <cmath>
#include <limits>
#include <gtest/gtest.h>

namespace {

class QuantityFormatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        home.write("test.lan", "[Quantities_1000]\n0=B\n1=kB\n2=MB\n3=GB\n4=TB\n5=PB\n6=EB\n7=ZB\n8=YB\n"
                               "[Quantities_1024]\n0=Byte\n1=KiB\n2=MiB\n3=GiB\n4=TiB\n5=PiB\n6=EiB\n7=ZiB\n8=YiB\n");
        ASSERT_TRUE(sprache.Laden("test.lan"));
    }
    void TearDown() override { QLocale::setDefault(m_previous); }

    TempHome home;
    TSprache sprache;
    const int base1000 = 1000;
    const int base1024 = 1024;

private:
    QLocale m_previous;
};

} // namespace

TEST_F(QuantityFormatTest, ScalesWhileStrictlyAboveTheBase)
{
    const long double ki = 1024.0L;
    const struct
    {
        long double value;
        int base;
        const char* expected;
    } cases[] = {
        {0, 1024, "0,00 Byte"},
        {1, 1024, "1,00 Byte"},
        {1024, 1024, "1024,00 Byte"},
        {1025, 1024, "1,00 KiB"},
        {1048576, 1024, "1024,00 KiB"},
        {1048577, 1024, "1,00 MiB"},
        {1536 * ki * ki, 1024, "1,50 GiB"},
        {1023.999L, 1024, "1024,00 Byte"},   // rounds up to the base without scaling
        {-5, 1024, "-5,00 Byte"},
        {-5000000, 1024, "-5000000,00 Byte"}, // never scaled, no thousands separator
        {1000, 1000, "1000,00 B"},
        {1001, 1000, "1,00 kB"},
        {1500000, 1000, "1,50 MB"},
        {999.999L, 1000, "1000,00 B"},
        {1024, 1000, "1,02 kB"},
        {123456.789L, 1000, "123,46 kB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatQuantity(c.value, c.base, sprache), QString::fromUtf8(c.expected))
            << static_cast<double>(c.value) << " base " << c.base;
}

TEST_F(QuantityFormatTest, ValuesBeyondTheLastUnitStayInIt)
{
    const long double yi = std::pow(1024.0L, 8);
    EXPECT_EQ(FormatQuantity(1024 * yi, base1024, sprache), "1024,00 YiB");
    // Two of the next power up are 2048 of the last unit, not 2 of it.
    EXPECT_EQ(FormatQuantity(2048 * yi, base1024, sprache), "2048,00 YiB");
    EXPECT_EQ(FormatQuantity(std::pow(1000.0L, 10), base1000, sprache), "1000000,00 YB");
}

TEST_F(QuantityFormatTest, TextIsReadWithTheLocale)
{
    EXPECT_EQ(FormatQuantityText("2048", base1024, sprache), "2,00 KiB");
    EXPECT_EQ(FormatQuantityText("1500000", base1000, sprache), "1,50 MB");
    EXPECT_EQ(FormatQuantityText(" 1,5 ", base1024, sprache), "1,50 Byte");
    for (const char* bad : {"abc", "", "12abc", "1.500"})
        EXPECT_EQ(FormatQuantityText(bad, base1024, sprache), "Fehler") << bad;
}

TEST_F(QuantityFormatTest, MissingUnitNamesLeaveATrailingBlank)
{
    TSprache leer;
    EXPECT_TRUE(leer.Laden("fehlt.lan")) << "a missing language file is no error";
    EXPECT_EQ(FormatQuantity(0, base1024, leer), "0,00 ");
    EXPECT_EQ(FormatQuantity(1025, base1024, leer), "1,00 ");
    EXPECT_EQ(FormatQuantity(1500000, base1000, leer), "1,50 ");

    home.write("halb.lan", "[Quantities_1024]\n0=Byte\n");
    ASSERT_TRUE(leer.Laden("halb.lan"));
    EXPECT_EQ(FormatQuantity(10, base1024, leer), "10,00 Byte");
    EXPECT_EQ(FormatQuantity(2048, base1024, leer), "2,00 ");
    EXPECT_EQ(FormatQuantity(10, base1000, leer), "10,00 ");
}

// Written as the locale writes the number, in locales with other decimal
// points and other digits too, and again after the locale changed.
TEST_F(QuantityFormatTest, NumbersAreWrittenAsTheLocaleWritesThem)
{
    const QLocale locales[] = {
        QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::Arabic, QLocale::Egypt),   QLocale(QLocale::Persian, QLocale::Iran),
        QLocale(QLocale::Hindi, QLocale::India),    QLocale::c(),
        QLocale(QLocale::French, QLocale::Switzerland),
    };
    const double values[] = {0, 0.004, 0.005, 1, 7.125, 999.995, 1000, 1023.5, 123456.789, 2147483646.5, -3.25};
    const int unscaled = std::numeric_limits<int>::max();
    for (const QLocale& locale : locales) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        QLocale reference = locale;
        reference.setNumberOptions(QLocale::OmitGroupSeparator);
        for (const double value : values)
            EXPECT_EQ(FormatQuantity(value, unscaled, sprache),
                      reference.toString(value, 'f', 2) + QStringLiteral(" Byte"))
                << value;
    }
}
