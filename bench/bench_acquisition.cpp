#include "acquisition/NetlinkInterfaceTable.h"
#include "acquisition/NicSampling.h"
#include "acquisition/TNic.h"
#include "config/TSprache.h"

#include <benchmark/benchmark.h>

#include <memory>

// One read of the kernel's interface table.
static void BM_NetlinkDump(benchmark::State& state)
{
    NetlinkInterfaceTable table;
    if (!table.open()) {
        state.SkipWithError("netlink socket unavailable");
        return;
    }
    std::vector<IfRow> rows;
    for (auto _ : state) {
        if (!table.read(rows)) {
            state.SkipWithError("link dump failed");
            break;
        }
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_NetlinkDump);

// One adapter engine tick without widgets: the read, the sampling step and the
// six live grid texts of every row.
static void BM_NicEngineTick(benchmark::State& state)
{
    NetlinkInterfaceTable table;
    std::vector<IfRow> rows;
    if (!table.open() || !table.read(rows)) {
        state.SkipWithError("interface table unavailable");
        return;
    }
    SampleContext ctx{1000, true};
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> v;
    for (const IfRow& r : rows) {
        owned.push_back(std::make_unique<TNic>(&ctx));
        owned.back()->setIdentity(r, false);
        owned.back()->anzeigen_live = true;
        owned.back()->maxspeed = 125000;
        v.push_back(owned.back().get());
    }
    TSprache sprache;
    const int base = 1024;
    for (auto _ : state) {
        if (!sampleInterfaceTable(table, v, false)) {
            state.SkipWithError("link dump failed");
            break;
        }
        const std::vector<LiveGridRow> grid = liveGridRows(v, base, sprache);
        benchmark::DoNotOptimize(grid.data());
    }
    state.counters["rows"] = static_cast<double>(v.size());
}
BENCHMARK(BM_NicEngineTick);
