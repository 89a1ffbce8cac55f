// A data plan's keys: every wrong value is refused with its own text at the settings page and
// left out with a log line when the settings file has it; a sound plan goes to the file and back.
#include "base/ExceptionLog.h"
#include "config/DataPlan.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 11);

DataPlanText sound()
{
    DataPlanText t;
    t.limit = QStringLiteral("5000000000");
    return t;
}

TEST(DataPlan, EachWrongValueIsRefusedWithItsOwnText)
{
    const struct
    {
        const char* what;
        DataPlanText text;
        const char* key;
    } cases[] = {
        {"limit 0", [] { auto t = sound(); t.limit = "0"; return t; }(), "Fehler_Grenze"},
        {"negative limit", [] { auto t = sound(); t.limit = "-5"; return t; }(), "Fehler_Grenze"},
        {"limit no number", [] { auto t = sound(); t.limit = "5 GB"; return t; }(), "Fehler_Grenze"},
        {"limit 2^63", [] { auto t = sound(); t.limit = "9223372036854775808"; return t; }(), "Fehler_Grenze"},
        {"limit empty", [] { auto t = sound(); t.limit = ""; return t; }(), "Fehler_Grenze"},
        {"unknown period", [] { auto t = sound(); t.zeitraum = "Quartal"; return t; }(), "Fehler_Zeitraum"},
        {"start day 0", [] { auto t = sound(); t.starttag = "0"; return t; }(), "Fehler_Starttag"},
        {"start day 32", [] { auto t = sound(); t.starttag = "32"; return t; }(), "Fehler_Starttag"},
        {"beginning in the future", [] { auto t = sound(); t.zeitraum = "Tage"; t.beginn = "2026-12-12"; t.dauer = "30"; return t; }(), "Fehler_Beginn"},
        {"beginning no date", [] { auto t = sound(); t.zeitraum = "Tage"; t.beginn = "12.11.2026"; t.dauer = "30"; return t; }(), "Fehler_Beginn"},
        {"length 0", [] { auto t = sound(); t.zeitraum = "Tage"; t.beginn = "2026-01-01"; t.dauer = "0"; return t; }(), "Fehler_Dauer"},
        {"length 1001", [] { auto t = sound(); t.zeitraum = "Tage"; t.beginn = "2026-01-01"; t.dauer = "1001"; return t; }(), "Fehler_Dauer"},
        {"unknown direction", [] { auto t = sound(); t.richtung = "hoch"; return t; }(), "Fehler_Richtung"},
        {"levels unsorted", [] { auto t = sound(); t.warnstufen = "90,80"; return t; }(), "Fehler_Warnstufen"},
        {"level twice", [] { auto t = sound(); t.warnstufen = "80,80,100"; return t; }(), "Fehler_Warnstufen"},
        {"level 0", [] { auto t = sound(); t.warnstufen = "0,100"; return t; }(), "Fehler_Warnstufen"},
        {"level 1001", [] { auto t = sound(); t.warnstufen = "80,1001"; return t; }(), "Fehler_Warnstufen"},
        {"no levels", [] { auto t = sound(); t.warnstufen = ""; return t; }(), "Fehler_Warnstufen"},
        {"sound", sound(), ""},
        {"a start day only matters monthly", [] { auto t = sound(); t.zeitraum = "Woche"; t.starttag = "99"; return t; }(), ""},
        {"the largest limit", [] { auto t = sound(); t.limit = "9223372036854775807"; return t; }(), ""},
    };
    for (const auto& c : cases) {
        DataPlan plan;
        EXPECT_EQ(parseDataPlan(c.text, kToday, plan), QString::fromLatin1(c.key)) << c.what;
    }
}

TEST(DataPlan, GoesToTheSettingsFileAndBack)
{
    TempHome home;
    DataPlan plan;
    plan.table = QStringLiteral("00000002");
    plan.limit = 50000000000ULL;
    plan.period = {PlanZeitraum::Tage, 1, QDate(2019, 3, 17), 30};
    plan.richtung = PlanRichtung::Empfangen;
    plan.warnstufen = {50, 75, 100, 150};
    plan.befehl = QStringLiteral("\"/opt/my tools/alert.sh\" --loud");
    plan.gemeldetStart = QDate(2026, 12, 5);
    plan.gemeldet = {50};
    ASSERT_TRUE(writeDataPlan(plan));
    DataPlan other = plan;
    other.table = QStringLiteral("dfu");
    other.limit = 1000;
    ASSERT_TRUE(writeDataPlan(other));
    ASSERT_TRUE(disableDataPlan(QStringLiteral("dfu")));

    const std::vector<DataPlan> read = readDataPlans(kToday);
    ASSERT_EQ(read.size(), 1u) << "a switched-off plan is no plan";
    const DataPlan& back = read[0];
    EXPECT_EQ(back.table, plan.table);
    EXPECT_EQ(back.limit, plan.limit);
    EXPECT_EQ(back.period.zeitraum, PlanZeitraum::Tage);
    EXPECT_EQ(back.period.beginn, plan.period.beginn);
    EXPECT_EQ(back.period.dauer, 30);
    EXPECT_EQ(back.richtung, PlanRichtung::Empfangen);
    EXPECT_EQ(back.warnstufen, plan.warnstufen);
    EXPECT_EQ(back.befehl, plan.befehl);
    EXPECT_EQ(back.gemeldetStart, plan.gemeldetStart);
    EXPECT_EQ(back.gemeldet, plan.gemeldet);
    EXPECT_EQ(readDataPlanText(QStringLiteral("dfu")).limit, QStringLiteral("0"));
    EXPECT_EQ(readDataPlanText(QStringLiteral("dfu")).warnstufen, QStringLiteral("50,75,100,150"))
        << "the other keys stay for the next time";
}

TEST(DataPlan, AWrongPlanInTheFileIsLeftOutWithALogLineAndAWrongGemeldetReadsAsNothing)
{
    TempHome home;
    setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}});
    home.write("netzpegel.ini",
               "[Tarif_a]\nLimit=1000\nZeitraum=Quartal\n"
               "[Tarif_b]\nLimit=1000\nStarttag=0\n"
               "[Tarif_c]\nLimit=1000\nWarnstufen=90,80\n"
               "[Tarif_d]\nLimit=1000\nGemeldet=gestern:80\n"
               "[Tarif_e]\nLimit=1000\nGemeldet=2026-12-01:80,90\n"
               "[Tarif_]\nLimit=1000\n"
               "[Allgemein]\nLimit=5\n");
    const std::vector<DataPlan> plans = readDataPlans(kToday);
    clearLogVersionTexts();
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(plans[0].table, QStringLiteral("d"));
    EXPECT_FALSE(plans[0].gemeldetStart.isValid());
    EXPECT_TRUE(plans[0].gemeldet.isEmpty());
    EXPECT_EQ(plans[1].table, QStringLiteral("e"));
    EXPECT_EQ(plans[1].gemeldet, (QList<int>{80, 90}));
    const QString log = QString::fromUtf8(home.read("error.txt"));
    for (const char* named : {"[Tarif_a]: Fehler_Zeitraum", "[Tarif_b]: Fehler_Starttag", "[Tarif_c]: Fehler_Warnstufen",
                              "[Tarif_d] Gemeldet=gestern:80"})
        EXPECT_TRUE(log.contains(QString::fromLatin1(named))) << named << "\n" << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("Tarif_e"))) << log.toStdString();
}

} // namespace
