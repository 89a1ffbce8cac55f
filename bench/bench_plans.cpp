#include "acquisition/TNic.h"
#include "base/ExceptionLog.h"
#include "base/ProgramFolder.h"
#include "config/DataPlan.h"
#include "engine/PlanMonitor.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kAdapters = 64;
const QDateTime kNow(QDate(2026, 12, 11), QTime(12, 0));

// 64 adapters with ten years of days each and a monthly plan on every one, in a program folder
// of its own.
struct PlannedMachine
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    SampleContext context;
    std::vector<std::unique_ptr<TNic>> nics;
    std::vector<TNic*> v;

    PlannedMachine()
    {
        qputenv("NETZPEGEL_HOME", dir.path().toUtf8());
        layDownShippedFiles(programFolder());
        db = std::make_unique<Database>(Database::programDatabasePath());
        db->exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < kAdapters; ++i) {
            const QString table = TNic::adapterId(static_cast<uint32_t>(i + 1), false);
            TrafficStatements::createTrafficTable(*db, table);
            for (QDate day = kNow.date().addYears(-10); day < kNow.date(); day = day.addDays(1))
                TrafficStatements::insertDay(*db, table, day, 1e9 + i, 1e8 + day.day());
            auto nic = std::make_unique<TNic>(&context);
            nic->Index = table;
            nic->Name = QStringLiteral("eth%1").arg(i);
            nic->set_gesamt_received(123456789);
            nic->set_gesamt_send(987654);
            v.push_back(nic.get());
            nics.push_back(std::move(nic));
            DataPlan plan;
            plan.table = table;
            plan.limit = 500000000000ULL;
            plan.period.starttag = 1 + i % 31;
            writeDataPlan(plan);
        }
        db->exec(QStringLiteral("COMMIT"));
    }
};

PlannedMachine& machine()
{
    static PlannedMachine m;
    return m;
}

// The start: every plan's period summed from its table, once.
void BM_PlanOpen64x10y(benchmark::State& state)
{
    PlannedMachine& m = machine();
    for (auto _ : state) {
        PlanMonitor monitor;
        monitor.load(m.v, *m.db, kNow);
        benchmark::DoNotOptimize(monitor.empty());
    }
    state.counters["plans"] = kAdapters;
}
BENCHMARK(BM_PlanOpen64x10y)->Unit(benchmark::kMillisecond);

// The minute's check of 64 plans: the kept sums plus the running totals, no table read.
void BM_PlanUsage64(benchmark::State& state)
{
    PlannedMachine& m = machine();
    PlanMonitor monitor;
    monitor.load(m.v, *m.db, kNow);
    size_t alerts = 0;
    for (auto _ : state)
        alerts += monitor.check(kNow, kNow.date(), *m.db).size();
    state.counters["alerts"] = static_cast<double>(alerts);
}
BENCHMARK(BM_PlanUsage64)->Unit(benchmark::kMicrosecond);

} // namespace
