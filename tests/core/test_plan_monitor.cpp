// Data plans at work: the use of a period is the stored days plus the running totals, each
// level alerts once per period, across restarts, and the plan's command gets its arguments
// unchanged without a shell.
#include "acquisition/TNic.h"
#include "base/ExceptionLog.h"
#include "base/ProgramFolder.h"
#include "engine/PlanCommand.h"
#include "engine/PlanMonitor.h"
#include "storage/Database.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const QString kEth = QStringLiteral("00000002");

class PlanMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        layDownShippedFiles(home.folder());
        // Three years of days, each with its own amounts, and one row that is no number.
        std::vector<StoredRow> rows;
        for (QDate day(2024, 1, 1); day <= QDate(2026, 12, 10); day = day.addDays(1))
            rows.push_back({day.toString(Qt::ISODate), double(day.day() * 1000003LL), double(day.month() * 70001LL)});
        rows.push_back({QStringLiteral("2026-12-03"), QStringLiteral("kaputt"), 5.0});
        ASSERT_TRUE(storeTrafficRows(db(), kEth, rows));
        eth.Index = kEth;
        eth.Name = QStringLiteral("eth0");
        v = {&eth};
    }

    QString db() const { return home.file(QStringLiteral("Datenbank.mdb")); }

    void writePlan(const QString& richtung, const QString& warnstufen = QStringLiteral("80,90,100"),
                   uint64_t limit = 0)
    {
        DataPlanText text;
        text.limit = QString::number(limit ? limit : kLimit);
        text.richtung = richtung;
        text.warnstufen = warnstufen;
        DataPlan plan;
        plan.table = kEth;
        ASSERT_EQ(parseDataPlan(text, now.date(), plan), QString());
        ASSERT_TRUE(writeDataPlan(plan));
    }

    static constexpr uint64_t kLimit = 40000000; // about 40 MB a month

    TempHome home;
    SampleContext context;
    TNic eth{&context};
    std::vector<TNic*> v;
    QDateTime now{QDate(2026, 12, 11), QTime(12, 0)};
};

TEST_F(PlanMonitorTest, UseIsTheSumOfThePeriodsStoredDaysAndTheRunningTotalsInEachDirection)
{
    eth.set_gesamt_received(12345);
    eth.set_gesamt_send(678);
    // What the file itself says, read apart from the program's code.
    double received = 0;
    double sent = 0;
    for (const auto& [day, traffic] : trafficRows(db(), kEth))
        if (day >= QStringLiteral("2026-12-01") && day <= QStringLiteral("2026-12-31")) {
            received += traffic.received;
            sent += traffic.send;
        }
    const struct
    {
        const char* richtung;
        double expected;
    } cases[] = {
        {"beide", received + sent + 12345 + 678},
        {"empfangen", received + 12345},
        {"gesendet", sent + 678},
    };
    for (const auto& c : cases) {
        writePlan(QString::fromLatin1(c.richtung));
        Database database(db());
        PlanMonitor monitor;
        monitor.load(v, database, now);
        const std::vector<PlanUsage> usages = monitor.usages(now, now.date());
        ASSERT_EQ(usages.size(), 1u) << c.richtung;
        EXPECT_EQ(usages[0].used, static_cast<uint64_t>(std::llround(c.expected))) << c.richtung;
        EXPECT_EQ(usages[0].period.start, QDate(2026, 12, 1));
        EXPECT_EQ(usages[0].name, QStringLiteral("eth0"));
        EXPECT_NEAR(usages[0].percent, c.expected / kLimit * 100, 1e-9) << c.richtung;
        // Running totals of a day outside the period (before the minute's check) do not count.
        EXPECT_EQ(monitor.usages(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 30)), QDate(2026, 12, 31))[0].used, 0u)
            << c.richtung;
    }
}

TEST_F(PlanMonitorTest, TheProjectionOfAHalfElapsedPeriodIsTwiceTheUse)
{
    writePlan(QStringLiteral("beide"));
    Database database(db());
    PlanMonitor monitor;
    const QDateTime half(QDate(2026, 12, 16), QTime(12, 0)); // 15.5 of 31 days
    monitor.load(v, database, half);
    const PlanUsage u = monitor.usages(half, half.date())[0];
    EXPECT_NEAR(static_cast<double>(u.projected), 2.0 * static_cast<double>(u.used), 2.0);
}

TEST_F(PlanMonitorTest, EachLevelAlertsOncePerPeriodAcrossRestartsAndAgainInTheNext)
{
    // December's stored days alone: 42 % of this limit; the running totals push it on.
    writePlan(QStringLiteral("beide"), QStringLiteral("40,50,100"), 150000000);
    auto levels = [](const std::vector<PlanAlert>& alerts) {
        QList<int> l;
        for (const PlanAlert& a : alerts)
            l << a.level;
        return l;
    };
    {
        Database database(db());
        PlanMonitor monitor;
        monitor.load(v, database, now);
        EXPECT_EQ(levels(monitor.check(now, now.date(), database)), QList<int>{40});
        EXPECT_TRUE(monitor.check(now, now.date(), database).empty()) << "once";
        eth.set_gesamt_received(12000000);
        const std::vector<PlanAlert> alerts = monitor.check(now, now.date(), database);
        ASSERT_EQ(levels(alerts), QList<int>{50});
        EXPECT_EQ(alerts[0].usage.limit, 150000000u);
    }
    {
        // A restart, also after a kill: what was alerted is in the settings file already.
        Database database(db());
        PlanMonitor monitor;
        monitor.load(v, database, now);
        EXPECT_TRUE(monitor.check(now, now.date(), database).empty());
        eth.set_gesamt_received(90000000);
        EXPECT_EQ(levels(monitor.check(now, now.date(), database)), QList<int>{100});
        // The next period starts clean: January has no days yet, the running totals are its own.
        eth.set_gesamt_received(65000000);
        const QDateTime january(QDate(2027, 1, 1), QTime(0, 2));
        EXPECT_EQ(levels(monitor.check(january, january.date(), database)), QList<int>{40});
    }
    EXPECT_EQ(readDataPlanText(kEth).gemeldet, QStringLiteral("2027-01-01:40"));
}

TEST_F(PlanMonitorTest, APlanForATableWithoutAnAdapterIsLeftOutWithALogLine)
{
    setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}});
    DataPlan gone;
    gone.table = QStringLiteral("000000ff");
    gone.limit = 1000;
    ASSERT_TRUE(writeDataPlan(gone));
    Database database(db());
    PlanMonitor monitor;
    monitor.load(v, database, now);
    clearLogVersionTexts();
    EXPECT_TRUE(monitor.empty());
    EXPECT_TRUE(home.read("error.txt").contains("[Tarif_000000ff]: no adapter")) << home.read("error.txt").data();
}

// A script that writes each argument on a line of its own.
QString argumentWriter(const TempHome& home, const QString& output)
{
    const QString script = home.file(QStringLiteral("tools dir/write args.sh"));
    QDir().mkpath(QFileInfo(script).path());
    QFile f(script);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + output + "'\n").toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return script;
}

TEST_F(PlanMonitorTest, TheCommandGetsItsArgumentsUnchangedWithoutAShell)
{
    const QString output = home.file(QStringLiteral("args.txt"));
    const QString script = argumentWriter(home, output);
    const QStringList arguments{QStringLiteral("eth 0; rm -rf /"), QStringLiteral("\"quoted\" 'name' $HOME `id`"),
                                QStringLiteral("80"), QStringLiteral("123"), QStringLiteral("456")};
    QObject owner;
    startPlanCommand(QLatin1Char('"') + script + QStringLiteral("\" --fixed"), arguments, &owner);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(output) && home.read("args.txt").count('\n') == 6; }));
    EXPECT_EQ(QString::fromUtf8(home.read("args.txt")).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              QStringList{QStringLiteral("--fixed")} + arguments);
}

TEST_F(PlanMonitorTest, AMissingOrHangingCommandIsLoggedAndNeverWaitedFor)
{
    setLogVersionTexts({QStringLiteral("1.0"), QStringLiteral("1.0"), {}});
    QObject owner;
    startPlanCommand(QLatin1Char('"') + home.file(QStringLiteral("no such program")) + QLatin1Char('"'), {}, &owner);
    startPlanCommand(QStringLiteral("sleep 600"), {}, &owner, 300);
    const QList<QProcess*> started = owner.findChildren<QProcess*>();
    EXPECT_TRUE(std::any_of(started.begin(), started.end(),
                            [](const QProcess* p) { return p->state() != QProcess::NotRunning; }))
        << "back before the command ended";
    EXPECT_TRUE(waitFor([&] {
        const QByteArray log = home.read("error.txt");
        return log.contains("no such program could not be started") && log.contains("sleep still ran after");
    })) << home.read("error.txt").data();
    clearLogVersionTexts();
    EXPECT_TRUE(waitFor([&] { return owner.findChildren<QObject*>().isEmpty(); })) << "the processes are gone";
}

} // namespace
