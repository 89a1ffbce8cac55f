#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/TabFile.h"
#include "storage/TableMaintenance.h"
#include "storage/TrafficStatements.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kTenYears = 3653;

// Ten years of days up to the end of 2026, with values as large as real ones.
QList<TabDay> tenYears()
{
    QList<TabDay> days;
    const QDate first = QDate(2026, 12, 31).addDays(1 - kTenYears);
    for (int i = 0; i < kTenYears; ++i)
        days << TabDay{first.addDays(i), 1.0e10 + i * 12345.0, 1.0e9 + i * 321.0};
    return days;
}

void fill(Database& db, const QString& table)
{
    Database::Transaction transaction(db);
    TrafficStatements::createTrafficTable(db, table);
    for (const TabDay& d : tenYears())
        TrafficStatements::insertDay(db, table, d.day, d.received, d.send);
    transaction.commit();
}

struct BenchFolder
{
    BenchFolder() { setLogVersionTexts({QStringLiteral("bench"), QStringLiteral("bench"), {}}); }
    ~BenchFolder() { clearLogVersionTexts(); }
    QTemporaryDir dir;
    Database db{dir.filePath(Database::fileName())};
};

// Importing a ten-year file into a table that already holds those days.
void BM_Import10y(benchmark::State& state)
{
    BenchFolder f;
    fill(f.db, QStringLiteral("0000000b"));
    const QString file = f.dir.filePath(QStringLiteral("ten.tab"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(formatTabFile(tenYears())) < 0)
        state.SkipWithError("cannot write the table file");
    out.close();
    for (auto _ : state) {
        if (!Table_Import(f.db, QStringLiteral("0000000b"), file).ok)
            state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_Import10y)->Unit(benchmark::kMillisecond);

// Merging one ten-year table into another.
void BM_Copy10y(benchmark::State& state)
{
    BenchFolder f;
    fill(f.db, QStringLiteral("0000000b"));
    fill(f.db, QStringLiteral("0000000c"));
    for (auto _ : state) {
        if (!Table_Copy(f.db, QStringLiteral("0000000b"), QStringLiteral("0000000c")).ok)
            state.SkipWithError("copy failed");
    }
}
BENCHMARK(BM_Copy10y)->Unit(benchmark::kMillisecond);

void BM_Export10y(benchmark::State& state)
{
    BenchFolder f;
    fill(f.db, QStringLiteral("0000000b"));
    const QString file = f.dir.filePath(QStringLiteral("export_0000000b.tab"));
    for (auto _ : state) {
        if (!Table_Export(f.db, QStringLiteral("0000000b"), file).ok)
            state.SkipWithError("export failed");
    }
}
BENCHMARK(BM_Export10y)->Unit(benchmark::kMillisecond);

} // namespace
