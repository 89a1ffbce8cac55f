#include "acquisition/IfRow.h"
#include "acquisition/TNic.h"
#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "engine/PendingBookings.h"
#include "engine/Provisioning.h"
#include "engine/ShutdownBooking.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// The booking round at shutdown: every adapter's totals added
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

    std::vector<TNic*> v;
    for (auto& nic : nics)
        v.push_back(nic.get());
    size_t failures = 0;
    for (auto _ : state) {
        for (TNic* nic : v) {
            nic->set_gesamt_received(123456789);
            nic->set_gesamt_send(987654);
        }
        failures += bookTodayTogether(v).size();
    }
    state.counters["failures"] = failures;
    state.counters["adapters"] = kAdapters;
    clearLogVersionTexts();
}
BENCHMARK(BM_BookAllAdapters)->Unit(benchmark::kMillisecond);

// The start after a long database outage on a machine with many adapters: a
// pending file of state.range(0) lines (one per adapter and day) is read.
void BM_LoadPendingFile(benchmark::State& state)
{
    constexpr int kAdapters = 16;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("netzpegel.cache.pending"));
    SampleContext context;
    std::vector<std::unique_ptr<TNic>> nics;
    std::vector<TNic*> v;
    for (int i = 0; i < kAdapters; ++i) {
        nics.push_back(std::make_unique<TNic>(&context));
        nics.back()->Index = QStringLiteral("%1").arg(i + 1, 8, 16, QLatin1Char('0'));
        v.push_back(nics.back().get());
    }
    QByteArray text;
    const QDate first(2020, 1, 1);
    for (int line = 0; line < state.range(0); ++line)
        text += v[static_cast<size_t>(line % kAdapters)]->Index.toUtf8() + '\t'
            + first.addDays(line / kAdapters).toString(Qt::ISODate).toLatin1() + "\t123456789\t98765\n";
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        PendingBookings pending;
        state.ResumeTiming();
        pending.attachFile(path, v);
        benchmark::DoNotOptimize(pending.bookings().size());
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LoadPendingFile)->Arg(1000)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);

} // namespace
