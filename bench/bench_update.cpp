// How long the user-interface thread goes without running its event loop
// while the update window downloads 20 MB from 127.0.0.1: the transfer runs
// on the update thread, the window only takes progress and the result.
#include "base/SystemClock.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "support/HttpTestServer.h"
#include "update/CurlHttpClient.h"
#include "update/UpdateService.h"
#include "update/ui/TUpdateForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr qint64 kFileBytes = 20 * 1024 * 1024;

QApplication& application()
{
    static int argc = 1;
    static char name[] = "bench_update";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// One download per iteration, through the update window as the user starts it.
// `pauseMs` spaces the server's 64 KiB pieces, so that progress keeps coming
// for a while instead of the whole file arriving at once.
void BM_UiStallDuringDownload(benchmark::State& state)
{
    application();
    QTemporaryDir dir;
    qputenv("NETZPEGEL_HOME", dir.path().toUtf8());
    layDownShippedFiles(programFolder());
    HttpTestServer server(HttpTestServer::Scheme::Https);
    HttpTestServer::Route file;
    file.patternSize = kFileBytes;
    file.chunkDelayMs = static_cast<int>(state.range(0));
    server.setRoute("/netzpegel.zip", file);
    server.setBody("/urls.txt", server.url("/netzpegel.zip").toUtf8() + ",-");
    QFile variables(programFile(QStringLiteral("variables.conf")));
    variables.open(QIODevice::WriteOnly | QIODevice::Truncate);
    variables.write("[Variablen]\nurls=" + server.url("/urls.txt").toUtf8() + "\n");
    variables.close();

    TSprache sprache;
    sprache.Laden(QStringLiteral("deutsch.lan"));
    TVerInfo verInfo;
    HttpOptions options;
    options.caFile = HttpTestServer::caFile();
    CurlHttpClient http(options);
    double lastupdate = 0;
    UpdateService service(http, verInfo, sprache, SystemClock::instance(), lastupdate);

    double worstMs = 0;
    double seconds = 0;
    for (auto _ : state) {
        auto* window = new TUpdateForm(service, sprache);
        window->show();
        // A 1 ms timer on the window's thread: any gap beyond that is a stall.
        QElapsedTimer clock;
        qint64 lastTick = 0;
        qint64 longest = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - lastTick);
            lastTick = now;
        });
        QEventLoop loop;
        QObject::connect(&service, &UpdateService::statusChanged, &loop, &QEventLoop::quit);
        clock.start();
        ticker.start();
        window->UpdateButton->click();
        loop.exec();
        ticker.stop();
        seconds += clock.nsecsElapsed() / 1e9;
        worstMs = std::max(worstMs, (longest - 1000000) / 1e6);
        while (service.running())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (QFile(programFile(QStringLiteral("netzpegel_patch.zip"))).size() != kFileBytes)
            state.SkipWithError("the download did not complete");
        delete window;
    }
    state.counters["max_stall_ms"] = worstMs;
    state.counters["MB_per_s"] = static_cast<double>(state.iterations()) * kFileBytes / 1e6 / seconds;
    qunsetenv("NETZPEGEL_HOME");
}
BENCHMARK(BM_UiStallDuringDownload)->Arg(0)->Arg(1)->Iterations(3)->Repetitions(5)->Unit(benchmark::kMillisecond);

} // namespace
