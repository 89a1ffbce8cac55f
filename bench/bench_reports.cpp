// Reports and statistics over years of days: the whole report of 64 adapters
// with ten years each, one adapter's ten years through the statistics query,
// and how long the window's event loop waits at most while such a report runs.
#include "base/SystemClock.h"
#include "acquisition/TNic.h"
#include "app/BerichteTab.h"
#include "config/Settings.h"
#include "config/TSprache.h"
#include "reports/BerichtRun.h"
#include "reports/BerichtSink.h"
#include "reports/LocaleTexts.h"
#include "reports/StatistikQuery.h"
#include "reports/TBericht.h"
#include "storage/Database.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kAdapters = 64;

QString table(int i) { return QStringLiteral("%1").arg(i + 1, 8, 16, QLatin1Char('0')); }

// A program folder with 64 traffic tables of ten years of days each, made once.
struct History
{
    QTemporaryDir dir;
    QString db;
    TSprache sprache;
    std::vector<BerichtAdapter> adapters;

    History()
    {
        static int argc = 1;
        static char name[] = "bench_reports";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QApplication app(argc, argv);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        sprache.LadenVon(QStringLiteral(":/shipped/deutsch.lan"));
        qputenv("NETZPEGEL_HOME", dir.path().toUtf8()); // the page's worker opens the program's database
        db = dir.filePath(Database::fileName());
        Database d(db);
        Database::Transaction t(d);
        for (int i = 0; i < kAdapters; ++i) {
            const QString q = Database::quoteIdentifier(table(i));
            d.exec(QStringLiteral("CREATE TABLE %1 (Datum DATE, received REAL, send REAL)").arg(q));
            d.exec(QStringLiteral("INSERT INTO %1 WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 3651) SELECT date('2017-01-01', '+' || i || ' days'), "
                                  "abs(random() % 50000000000), abs(random() % 5000000000) FROM n")
                       .arg(q));
            adapters.push_back({QStringLiteral("eth%1").arg(i), table(i), true});
        }
        t.commit();
    }

    BerichtOptions options() const
    {
        BerichtOptions o;
        o.unitIndex = 2;
        o.unitText = QStringLiteral("MiB");
        o.eigenerbericht = true;
        o.fromDay = 15;
        o.toDay = 14;
        o.path = dir.filePath(QStringLiteral("bericht.htm"));
        return o;
    }
};

History& history()
{
    static History h;
    return h;
}

struct NullSink : BerichtSink
{
    void log(const QString&) override {}
    void adapterProgress(int, int) override {}
    void overallProgress(int, int) override {}
};

void BM_Report64x10y(benchmark::State& state)
{
    History& h = history();
    const BerichtOptions options = h.options();
    NullSink sink;
    bool ok = true;
    for (auto _ : state) {
        Database db(h.db);
        ok = runBericht(db, h.adapters, options, h.sprache, SystemClock::instance(), sink) && ok;
    }
    state.counters["failed"] = ok ? 0 : 1;
    state.counters["rows"] = kAdapters * 3652;
}
BENCHMARK(BM_Report64x10y)->Unit(benchmark::kMillisecond)->MinTime(5);

void BM_Statistics10y(benchmark::State& state)
{
    History& h = history();
    StatistikRequest request;
    request.table = table(0);
    request.today = QDate::currentDate();
    size_t rows = 0;
    for (auto _ : state) {
        Database db(h.db, Database::readOnlyOptions());
        const StatistikView view = formatStatistik(queryStatistik(db, request), 1024, h.sprache, LocaleTexts());
        rows = view.rows.size();
        benchmark::DoNotOptimize(view.totalReceived);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_Statistics10y)->Unit(benchmark::kMillisecond);

// The reports page runs the whole report while a 1 ms timer on the window's
// thread notes the longest gap between its ticks.
void BM_UiStallDuringReport64x10y(benchmark::State& state)
{
    History& h = history();
    SampleContext context;
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> entries;
    for (const BerichtAdapter& a : h.adapters) {
        owned.push_back(std::make_unique<TNic>(&context));
        owned.back()->Name = a.name;
        owned.back()->Index = a.index;
        entries.push_back(owned.back().get());
    }
    const int base = 1024;
    const bool closed = false;
    BerichteTab page;
    TabContext c;
    c.entries = &entries;
    c.umrechnungsfaktor = &base;
    c.sprache = &h.sprache;
    c.clock = &SystemClock::instance();
    c.closed = &closed;
    page.setContext(c);
    page.setBerichte(Berichte{});
    page.Berichte_Pfad_Edit->setText(h.options().path);
    page.show();

    double longestMs = 0;
    int written = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestMs = std::max(longestMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        page.Berichte_Erstellen_Button->click();
        sinceTick.start();
        tick.start();
        while (page.Bericht)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        written += page.Berichte_GDPB->value() == page.Berichte_GDPB->maximum() ? 1 : 0;
    }
    state.counters["longest_stall_ms"] = longestMs;
    state.counters["reports_written"] = written;
}
BENCHMARK(BM_UiStallDuringReport64x10y)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
