#include "graph/TPerformanceGraph.h"

#include <benchmark/benchmark.h>

namespace {

constexpr uint32_t kRecv = 16711680;
constexpr uint32_t kSend = 255;
constexpr int kMaxSpeed = 12500;

// The graph window's control: 275 x 195 bars, one-pixel columns, grid 25,
// with the ring full of rates below the maximum speed so the scale holds.
void prepare(TPerformanceGraph& g)
{
    g.SetGraphKind(pgBar);
    g.SetForeColor(16150899);
    g.SetBackColor(16744825);
    g.SetGridSize(25);
    g.SetStepSize(1);
    g.SetSize(275, 195);
    g.SetGradient(kMaxSpeed);
    for (int i = 0; i < g.HistorySize() * 2; ++i) {
        g.DataPoint(i % 2 ? kSend : kRecv, 1 + (i * 7919) % kMaxSpeed);
        g.Update();
    }
}

void BM_GraphUpdate(benchmark::State& state)
{
    TPerformanceGraph g;
    prepare(g);
    int i = 0;
    for (auto _ : state) {
        g.DataPoint(i % 2 ? kSend : kRecv, 1 + (i * 7919) % kMaxSpeed);
        g.Update();
        ++i;
    }
    if (g.Scale() != kMaxSpeed)
        state.SkipWithError("scale changed during the run");
    benchmark::DoNotOptimize(g.image().constBits());
}
BENCHMARK(BM_GraphUpdate);

void BM_GraphReplay(benchmark::State& state)
{
    TPerformanceGraph g;
    prepare(g);
    for (auto _ : state) {
        g.Replay();
        benchmark::DoNotOptimize(g.image().constBits());
    }
}
BENCHMARK(BM_GraphReplay);

} // namespace
