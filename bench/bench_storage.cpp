#include "acquisition/IfRow.h"
#include "acquisition/TNic.h"
#include "desktop/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/Provisioning.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// One booking round at shutdown or day change: every adapter's totals added
// to today's row of its table, in an existing database that already has a
// year of rows per adapter.
void BM_BookAllAdapters(benchmark::State& state)
{
    constexpr int kAdapters = 64;
    QTemporaryDir dir;
    setLogVersionTexts({QStringLiteral("bench"), QStringLiteral("bench"), {}});
    Database db(dir.filePath(Database::fileName()));
    SampleContext context;
    std::vector<std::unique_ptr<TNic>> nics;
    for (int i = 0; i < kAdapters; ++i) {
        IfRow row;
        row.index = static_cast<uint32_t>(i + 1);
        row.type = 6;
        row.speed = 1000000000;
        auto nic = std::make_unique<TNic>(&context);
        nic->setIdentity(row, false);
        nic->setDatabase(&db);
        provisionEntry(db, *nic, &row);
        nic->set_gesamt_received(123456789);
        nic->set_gesamt_send(987654);
        for (int day = 1; day <= 365; ++day)
            nic->save_traffic(45000 + day);
        nics.push_back(std::move(nic));
    }

    int failures = 0;
    for (auto _ : state) {
        for (auto& nic : nics) {
            if (!nic->save_traffic(0))
                ++failures;
        }
    }
    state.counters["failures"] = failures;
    state.counters["adapters"] = kAdapters;
    clearLogVersionTexts();
}
BENCHMARK(BM_BookAllAdapters)->Unit(benchmark::kMillisecond);

} // namespace
