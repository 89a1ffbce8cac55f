// The fleet's central database, against a real PostgreSQL server of the bench's own (made in a
// temporary folder, stopped at the end): the first upload of a long history, one day of many
// adapters, and the fleet's month over a thousand hosts.
#include "engine/CentralUpload.h"
#include "storage/CentralStatements.h"
#include "storage/Database.h"
#include "storage/PgConnection.h"
#include "storage/SentWatermarks.h"
#include "support/PostgresServer.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QDate kToday(2026, 12, 8);

std::unique_ptr<PostgresServer> server;

PostgresServer* central(benchmark::State& state)
{
    if (!server)
        server = std::make_unique<PostgresServer>();
    if (!server->ok()) {
        state.SkipWithError(("no PostgreSQL server: " + server->error().toStdString()).c_str());
        return nullptr;
    }
    return server.get();
}

UploadRequest request(const QString& target)
{
    UploadRequest r;
    r.machine.id = QStringLiteral("bench-machine");
    r.machine.hostName = QStringLiteral("bench");
    r.target = target;
    r.today = kToday;
    r.includeToday = true;
    r.completeThrough = kToday.addDays(-1);
    return r;
}

// The first --sync of 4 adapters with 10 years of days each.
void BM_SyncHistory4x10y(benchmark::State& state)
{
    PostgresServer* pg = central(state);
    if (!pg)
        return;
    QTemporaryDir dir;
    const QString path = dir.filePath(Database::fileName());
    constexpr int kDays = 3650;
    for (int a = 1; a <= 4; ++a) {
        std::vector<StoredRow> rows;
        for (int d = 0; d < kDays; ++d)
            rows.push_back({kToday.addDays(d - kDays).toString(Qt::ISODate), 1.0e9 + d * 7.0 + a, 1.0e8 + d * 3.0});
        storeTrafficRows(path, QStringLiteral("0000000%1").arg(a), rows);
    }
    pg->exec(QStringLiteral("DROP TABLE IF EXISTS netzpegel_days"));
    Database local(path);
    PgConnection connection(pg->connectionString());
    qint64 sent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pg->exec(QStringLiteral("DROP TABLE IF EXISTS netzpegel_days"));
        SentWatermarks::forget(local, QStringLiteral("bench"));
        state.ResumeTiming();
        sent = CentralUpload(local, connection).run(request(QStringLiteral("bench"))).rowsSent;
    }
    state.counters["days"] = static_cast<double>(sent);
}
BENCHMARK(BM_SyncHistory4x10y)->Unit(benchmark::kMillisecond)->Iterations(5);

// A cache write on a machine with 64 adapters: today's row of each, with new running totals.
void BM_SendDay64(benchmark::State& state)
{
    PostgresServer* pg = central(state);
    if (!pg)
        return;
    QTemporaryDir dir;
    const QString path = dir.filePath(Database::fileName());
    UploadRequest r = request(QStringLiteral("bench64"));
    for (int a = 1; a <= 64; ++a) {
        const QString table = QStringLiteral("%1").arg(a, 8, 16, QLatin1Char('0'));
        storeTrafficRows(path, table, {{kToday.addDays(-1).toString(Qt::ISODate), 5.0, 6.0},
                                       {kToday.toString(Qt::ISODate), 1000.0, 100.0}});
        r.adapters.push_back({table, QStringLiteral("eth%1").arg(a), QStringLiteral("00-00-00-00-00-%1").arg(a, 2, 16)});
    }
    Database local(path);
    PgConnection connection(pg->connectionString());
    CentralUpload(local, connection).run(r); // the days before are sent, as in a running monitor
    qint64 changed = 0;
    long double running = 0;
    for (auto _ : state) {
        running += 4096;
        for (const CentralAdapter& a : r.adapters)
            r.running.insert(a.index, {running, running / 10});
        changed = CentralUpload(local, connection).run(r).rowsChanged;
    }
    state.counters["rows"] = static_cast<double>(changed);
}
BENCHMARK(BM_SendDay64)->Unit(benchmark::kMillisecond);

// --fleet for one month over 1,000 hosts with 4 adapters and a year of days each.
void BM_FleetTotals1000(benchmark::State& state)
{
    PostgresServer* pg = central(state);
    if (!pg)
        return;
    pg->exec(QStringLiteral("DROP TABLE IF EXISTS netzpegel_days"));
    PgConnection connection(pg->connectionString());
    CentralStatements::prepareTable(connection);
    QString error;
    pg->exec(QStringLiteral("INSERT INTO netzpegel_days SELECT 'machine-' || h, 'host-' || h, "
                            "lpad(to_hex(a), 8, '0'), 'eth' || a, '', d::date, (h::bigint * 7919 + a * 104729 + "
                            "extract(doy FROM d)::bigint * 15485863) % 5000000000, (h * 31 + a) % 900000000 "
                            "FROM generate_series(1, 1000) h, generate_series(1, 4) a, "
                            "generate_series('2026-01-01'::date, '2026-12-31'::date, '1 day') d"),
             {}, &error);
    pg->exec(QStringLiteral("VACUUM ANALYZE netzpegel_days"));
    if (!error.isEmpty()) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    size_t rows = 0;
    for (auto _ : state)
        rows = CentralStatements::fleetTotals(connection, QDate(2026, 6, 1), QDate(2026, 6, 30)).size();
    state.counters["adapters"] = static_cast<double>(rows);
}
BENCHMARK(BM_FleetTotals1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the server's programs run as processes
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.reset();
    return 0;
}
