// `netzpegel --service`: the engine without a window or display, counting byte-exact across a
// kill, taking on interfaces that appear, one at a time with the window, booking at SIGTERM.
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"

#include <QDate>
#include <QProcessEnvironment>

namespace {

constexpr qint64 kPayload = 50000;

class E2eService : public E2eTest
{
protected:
    // No display of any kind: an empty value removes the variable.
    static QProcessEnvironment headless()
    {
        QProcessEnvironment env;
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.insert(QString::fromLatin1(name), QString());
        env.insert(QStringLiteral("NETZPEGEL_CACHE_INTERVAL_MS"), QStringLiteral("100"));
        return env;
    }

    std::unique_ptr<ProgramRun> service()
    {
        return std::make_unique<ProgramRun>(sandbox, home.folder(), QStringLiteral(NETZPEGEL_EXE), headless(),
                                            QStringList{QStringLiteral("--service")});
    }
};

TEST_F(E2eService, CountsExactlyAcrossAKillRefusesASecondStartAndBooksAtSigterm)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    auto run = service();
    ASSERT_TRUE(run->waitUntilReady()) << qPrintable(run->errorOutput());
    const LoopbackCounters start = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(*run, start)) << qPrintable(run->errorOutput());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    ASSERT_TRUE(countedUpTo(*run, sandbox.loopback()));
    // Without a central database or an update check, their client libraries stay out of memory.
    for (const char* library : {"libpq.so", "libcurl.so", "libcrypto.so"})
        EXPECT_FALSE(run->hasMapped(QLatin1String(library))) << library;

    // Killed without a chance to book; the next start counts on from the counters it kept.
    ASSERT_TRUE(run->kill());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload)); // while nothing runs
    run = service();
    ASSERT_TRUE(run->waitUntilReady()) << qPrintable(run->errorOutput());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    ASSERT_TRUE(countedUpTo(*run, sandbox.loopback())) << qPrintable(run->errorOutput());

    // A second service and a window for the same folder are both turned away, as a second window is.
    for (bool window : {false, true}) {
        ProgramRun second = window ? ProgramRun(sandbox, home.folder())
                                   : ProgramRun(sandbox, home.folder(), QStringLiteral(NETZPEGEL_EXE), headless(),
                                                {QStringLiteral("--service")});
        ASSERT_TRUE(second.waitForExit()) << "window " << window;
        EXPECT_TRUE(second.exitedCleanly()) << "window " << window << ", exit code " << second.exitCode();
        EXPECT_EQ(messagesOf(second.errorOutput(), QStringLiteral("message")),
                  QStringList{QStringLiteral("Netzpegel ist bereits aktiv!")})
            << qPrintable(second.errorOutput());
    }

    ASSERT_TRUE(run->running());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(*run, end));
    ASSERT_TRUE(run->terminate());
    ASSERT_TRUE(run->exitedCleanly()) << qPrintable(run->errorOutput());
    EXPECT_FALSE(QFile::exists(cachePath())) << "all booked: no cache left for the next start";

    const DayTraffic booked = bookedSinceStart(lo);
    EXPECT_EQ(booked.rows, 1);
    EXPECT_EQ(booked.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send, static_cast<double>(end.tx - start.tx));
    EXPECT_GE(end.rx - start.rx, static_cast<quint64>(4 * kPayload));
    EXPECT_TRUE(messagesOf(run->errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run->errorOutput());
}

TEST_F(E2eService, AnInterfaceCreatedWhileItRunsIsTakenOnAndBookedExactly)
{
    ASSERT_TRUE(sandbox.quiet()); // the veths' counters move only with the test's frames
    auto addPair = [&] {
        return sandbox.ip({"link", "add", "vs0", "index", "60", "type", "veth", "peer", "name", "vs1", "index", "61"})
            && sandbox.ip({"link", "set", "vs0", "up"}) && sandbox.ip({"link", "set", "vs1", "up"});
    };
    const QString vs0 = QStringLiteral("0000003c");
    // A first run provisions the pair (hidden, as virtual links are); shown from then on.
    ASSERT_TRUE(addPair());
    {
        auto install = service();
        ASSERT_TRUE(install->waitUntilReady()) << qPrintable(install->errorOutput());
        ASSERT_TRUE(install->terminate());
        ASSERT_TRUE(install->exitedCleanly()) << qPrintable(install->errorOutput());
    }
    ASSERT_TRUE(setAnzeigen(db(), vs0, QStringLiteral("11")));
    ASSERT_TRUE(sandbox.ip({"link", "delete", "vs0"}));
    const DayTraffic before = bookedSinceStart(vs0);

    auto run = service();
    ASSERT_TRUE(run->waitUntilReady()) << qPrintable(run->errorOutput());
    ASSERT_TRUE(addPair()); // the same index again, while the service runs
    ASSERT_EQ(sandbox.ifIndex("vs0"), 60);
    ASSERT_TRUE(run->waitUntil([&] { return savedCounters(vs0).valid; })) << qPrintable(run->errorOutput());
    ASSERT_TRUE(sandbox.pushFrames("vs0", kPayload));
    const LoopbackCounters kernel = sandbox.counters("vs0");
    ASSERT_TRUE(run->waitUntil([&] {
        const LoopbackCounters saved = savedCounters(vs0);
        return saved.valid && saved.rx == kernel.rx && saved.tx == kernel.tx;
    })) << qPrintable(run->errorOutput());
    ASSERT_TRUE(run->terminate());
    ASSERT_TRUE(run->exitedCleanly()) << qPrintable(run->errorOutput());

    ASSERT_GE(kernel.tx, static_cast<quint64>(kPayload));
    const DayTraffic booked = bookedSinceStart(vs0);
    EXPECT_EQ(booked.send - before.send, static_cast<double>(kernel.tx));
    EXPECT_EQ(booked.received - before.received, static_cast<double>(kernel.rx));
    EXPECT_TRUE(messagesOf(run->errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run->errorOutput());
}

} // namespace
