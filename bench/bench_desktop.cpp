#include "acquisition/TNic.h"
#include "desktop/ProgramIcon.h"
#include "desktop/TrayStatus.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// The icon's pictures of one tick whose bars changed: every size the tray may ask for.
void BM_TrayIconPictures(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        const double level = (i++ % 20) / 20.0;
        for (int size : {16, 22, 24, 32, 48, 64})
            benchmark::DoNotOptimize(paintProgramIcon(size, level, 1 - level).constBits());
    }
}
BENCHMARK(BM_TrayIconPictures);

// Summing the counted entries and the bar heights, as every adapter tick does.
void BM_TrayTraffic(benchmark::State& state)
{
    SampleContext context;
    std::vector<std::unique_ptr<TNic>> nics;
    std::vector<TNic*> v;
    for (int k = 0; k < state.range(0); ++k) {
        nics.push_back(std::make_unique<TNic>(&context));
        nics.back()->anzeigen_live = k % 3 != 0;
        nics.back()->maxspeed = 125000000;
        v.push_back(nics.back().get());
    }
    TrayBarScale scale;
    for (auto _ : state) {
        const TrayTraffic t = trayTraffic(v);
        const long double s = scale.update(t);
        benchmark::DoNotOptimize(trayBarFraction(t.rateReceived, s) + trayBarFraction(t.rateSent, s));
    }
}
BENCHMARK(BM_TrayTraffic)->Arg(4)->Arg(64);

} // namespace
