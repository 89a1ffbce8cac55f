// --plan and --alert from a terminal or cron: three years of days, plans below, at and over
// their levels, the exit codes a script reads, and nothing written.
#include "base/ProgramFolder.h"
#include "config/DataPlan.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"
#include "support/e2e/CommandLineRun.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

constexpr double kReceived = 1000;
constexpr double kSent = 500;

class E2ePlans : public ::testing::Test
{
protected:
    void SetUp() override
    {
        layDownShippedFiles(home.folder());
        // Every day of three years, today included, 1500 bytes each.
        std::vector<StoredRow> rows;
        for (QDate day = today.addYears(-3); day <= today; day = day.addDays(1))
            rows.push_back({day.toString(Qt::ISODate), kReceived, kSent});
        for (const char* table : {"t1", "t2", "t3", "t4", "none"})
            ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), QString::fromLatin1(table), rows));
        plan("t1", "Tag", 10000);
        plan("t2", "Tag", 1800);
        plan("t3", "Tag", 1500);
        plan("t4", "Tage", 1000000000, beginn.toString(Qt::ISODate), "30");
    }

    void plan(const char* table, const char* zeitraum, qint64 limit, const QString& beginn = {},
              const QString& dauer = {})
    {
        DataPlanText text;
        text.limit = QString::number(limit);
        text.zeitraum = QString::fromLatin1(zeitraum);
        text.beginn = beginn;
        text.dauer = dauer;
        DataPlan p;
        p.table = QString::fromLatin1(table);
        ASSERT_EQ(parseDataPlan(text, today, p), QString());
        ASSERT_TRUE(writeDataPlan(p));
    }

    TempHome home;
    const QDate today = QDate::currentDate();
    const QDate beginn = today.addYears(-3).addDays(7);
};

TEST_F(E2ePlans, AlertExitCodesFollowTheLevelsReached)
{
    const QByteArray database = home.read("Datenbank.mdb");
    const QByteArray settings = home.read("netzpegel.ini");
    const struct
    {
        QStringList arguments;
        int code;
    } cases[] = {
        {{"t1"}, 0}, {{"t2"}, 2}, {{"t3"}, 3}, {{"t4"}, 0}, {{}, 3},
        {{"none"}, 1}, {{"nowhere"}, 1}, {{"t1", "--json"}, 1},
    };
    for (const auto& c : cases) {
        const CommandLineRun run = runCommandLine(QStringList{QStringLiteral("--alert")} + c.arguments);
        ASSERT_FALSE(run.crashed) << run.err.constData();
        EXPECT_EQ(run.exitCode, c.code) << c.arguments.join(' ').toStdString() << "\n" << run.err.constData();
        EXPECT_EQ(run.err.isEmpty(), c.code != 1) << c.arguments.join(' ').toStdString() << run.err.constData();
    }
    if (QDate::currentDate() != today)
        GTEST_SKIP() << "midnight passed during the test";
    EXPECT_EQ(home.read("Datenbank.mdb"), database) << "read only";
    EXPECT_EQ(home.read("netzpegel.ini"), settings);
    EXPECT_FALSE(QFileInfo::exists(home.file("error.txt")));
}

TEST_F(E2ePlans, PlanJsonGivesEachPlansPeriodUseAndLevels)
{
    const CommandLineRun run = runCommandLine({QStringLiteral("--plan"), QStringLiteral("--json")});
    ASSERT_FALSE(run.crashed) << run.err.constData();
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    if (QDate::currentDate() != today)
        GTEST_SKIP() << "midnight passed during the test";
    const QJsonArray plans = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(plans.size(), 4) << run.out.constData();
    std::map<QString, QJsonObject> byTable;
    for (const QJsonValue& p : plans)
        byTable[p.toObject()["adapter"].toString()] = p.toObject();

    const QString day = today.toString(Qt::ISODate);
    for (const char* t : {"t1", "t2", "t3"}) {
        const QJsonObject p = byTable[QString::fromLatin1(t)];
        EXPECT_EQ(p["period_start"].toString(), day) << t;
        EXPECT_EQ(p["period_end"].toString(), day) << t;
        EXPECT_EQ(p["used"].toInteger(), 1500) << t;
        EXPECT_GE(p["projected"].toInteger(), 1500) << t;
    }
    EXPECT_EQ(byTable["t1"]["limit"].toInteger(), 10000);
    EXPECT_DOUBLE_EQ(byTable["t1"]["percent"].toDouble(), 15.0);
    EXPECT_EQ(byTable["t1"]["levels_reached"].toArray(), QJsonArray());
    EXPECT_EQ(byTable["t2"]["levels_reached"].toArray(), (QJsonArray{80}));
    EXPECT_EQ(byTable["t3"]["levels_reached"].toArray(), (QJsonArray{80, 90, 100}));

    // Thirty-day periods from a day years back: the current one started on the last multiple.
    const qint64 since = beginn.daysTo(today);
    const QDate start = beginn.addDays(since - since % 30);
    const QJsonObject t4 = byTable["t4"];
    EXPECT_EQ(t4["period_start"].toString(), start.toString(Qt::ISODate));
    EXPECT_EQ(t4["period_end"].toString(), start.addDays(29).toString(Qt::ISODate));
    EXPECT_EQ(t4["used"].toInteger(), (start.daysTo(today) + 1) * 1500);
}

TEST_F(E2ePlans, HelpListsThePlanModesAndTheService)
{
    const CommandLineRun help = runCommandLine({QStringLiteral("--help")});
    for (const char* mode : {"--plan", "--alert", "--service"})
        EXPECT_TRUE(help.out.contains(mode)) << mode;
}

} // namespace
