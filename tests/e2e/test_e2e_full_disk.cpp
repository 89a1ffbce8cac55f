// The executable with its program folder on a small disk that fills up: the
// writes fail without truncating what was there, counting goes on, and once
// there is room again the next write and the shutdown booking go through.
#include "config/TSprache.h"
#include "storage/Database.h"
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

namespace {

constexpr qint64 kPayload = 60000;

// The program folder is a small tmpfs, mounted in a mount namespace of this
// test's own: nobody else sees it, and it goes with the test process.
class E2eFullDisk : public E2eTest
{
protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_folder = QFile::encodeName(QDir(home.folder()).absolutePath());
        ASSERT_EQ(::unshare(CLONE_NEWNS), 0) << std::strerror(errno);
        ASSERT_EQ(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
        ASSERT_EQ(::mount("netzpegel-full-disk", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=2m,mode=0700"), 0)
            << std::strerror(errno);
        m_mounted = true;
    }
    void TearDown() override
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }

    // Writes a filler file until not one more byte fits.
    void fillDisk()
    {
        QFile filler(home.file(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        for (const qsizetype chunk : {qsizetype(65536), qsizetype(4096), qsizetype(1)}) {
            const QByteArray bytes(chunk, 'x');
            while (filler.write(bytes) == chunk) {
            }
        }
        QFile probe(home.file(QStringLiteral("probe")));
        ASSERT_TRUE(probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        EXPECT_NE(probe.write("x", 1), 1) << "the disk is full";
        probe.remove();
    }
    void freeDisk() { ASSERT_TRUE(QFile::remove(home.file(QStringLiteral("filler")))); }

    // Received and sent totals of lo, the first entry, in the cache file.
    std::pair<qint64, qint64> cachedTotals() const
    {
        const QList<QByteArray> lines = home.read(QStringLiteral("netzpegel.cache")).split('\n');
        return lines.size() > 3 ? std::pair{lines[3].trimmed().toLongLong(), lines[2].trimmed().toLongLong()}
                                : std::pair{qint64(-1), qint64(-1)};
    }

    // The run from its first sample, which counting starts from, until it has
    // counted `kPayload` more and saved it.
    void countSomeTraffic(ProgramRun& run, LoopbackCounters& start)
    {
        ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
        start = sandbox.loopback();
        ASSERT_TRUE(countedUpTo(run, start));
        ASSERT_TRUE(sandbox.pushTraffic(kPayload));
        ASSERT_TRUE(countedUpTo(run, sandbox.loopback()));
    }

    QByteArray m_folder;
    bool m_mounted = false;
};

TEST_F(E2eFullDisk, WhileTheDiskIsFullCountingGoesOnAndTheFilesStayWhole)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    const DayTraffic bookedBefore = bookedSinceStart(lo);
    ProgramRun run(sandbox, home.folder());
    LoopbackCounters start;
    ASSERT_NO_FATAL_FAILURE(countSomeTraffic(run, start));
    const QByteArray cache = home.read(QStringLiteral("netzpegel.cache"));
    const QByteArray counters = home.read(QStringLiteral("netzpegel.cache.counters"));
    ASSERT_FALSE(cache.isEmpty());

    ASSERT_NO_FATAL_FAILURE(fillDisk());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    ASSERT_TRUE(run.runFor(1500)) << "a full disk does not end the program: " << qPrintable(run.errorOutput());
    EXPECT_EQ(home.read(QStringLiteral("netzpegel.cache")), cache) << "failed writes leave the cache as it was";
    EXPECT_EQ(home.read(QStringLiteral("netzpegel.cache.counters")), counters);

    ASSERT_NO_FATAL_FAILURE(freeDisk());
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(run, end)) << "the next write goes through";
    EXPECT_EQ(cachedTotals(), std::pair(qint64(end.rx - start.rx), qint64(end.tx - start.tx)))
        << "what came while the disk was full was counted";
    ASSERT_TRUE(run.terminate());
    EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
    const DayTraffic booked = bookedSinceStart(lo);
    EXPECT_EQ(booked.received - bookedBefore.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send - bookedBefore.send, static_cast<double>(end.tx - start.tx));
}

TEST_F(E2eFullDisk, AShutdownOnAFullDiskTruncatesNothingAndTheNextRunBooksEverything)
{
    ASSERT_NO_FATAL_FAILURE(installWithLoopbackCounted());
    const DayTraffic bookedBefore = bookedSinceStart(lo);
    LoopbackCounters start;
    {
        ProgramRun run(sandbox, home.folder());
        ASSERT_NO_FATAL_FAILURE(countSomeTraffic(run, start));
        // Something is in the log already.
        home.write(QStringLiteral("error.txt"), home.read(QStringLiteral("error.txt")) + "earlier entry\n");
        const QStringList files = {QStringLiteral("netzpegel.cache"), QStringLiteral("netzpegel.cache.counters"),
                                   QStringLiteral("netzpegel.ini"), QStringLiteral("error.txt")};
        std::map<QString, QByteArray> before;
        for (const QString& f : files)
            before[f] = home.read(f);

        ASSERT_NO_FATAL_FAILURE(fillDisk());
        ASSERT_TRUE(run.terminate());
        EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
        TSprache sprache;
        ASSERT_NO_FATAL_FAILURE(freeDisk()); // room to read the language file back
        sprache.Laden(QStringLiteral("deutsch.lan"));
        EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error"))
                        .contains(sprache.error(QStringLiteral("Error10")) + lo + QStringLiteral("(lo) ")
                                  + sprache.error(QStringLiteral("Error10a"))))
            << "the booking could not go through, and says so: " << qPrintable(run.errorOutput());
        for (const QString& f : files) {
            if (f == QLatin1String("error.txt"))
                EXPECT_TRUE(home.read(f).startsWith(before[f])) << qPrintable(f) << " was cut";
            else
                EXPECT_EQ(home.read(f), before[f]) << qPrintable(f);
        }
        EXPECT_EQ(integrityCheck(db()), QStringLiteral("ok"));
        const DayTraffic refused = bookedSinceStart(lo);
        EXPECT_EQ(refused.received, bookedBefore.received);
    }

    // Room again: the next run goes on from the cache and books it all.
    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(run, end));
    ASSERT_TRUE(run.terminate());
    EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
    const DayTraffic booked = bookedSinceStart(lo);
    EXPECT_EQ(booked.rows, 1);
    EXPECT_EQ(booked.received - bookedBefore.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send - bookedBefore.send, static_cast<double>(end.tx - start.tx));
    EXPECT_FALSE(QFile::exists(cachePath()));
}

TEST_F(E2eFullDisk, AFreshInstallationOnAFullDiskLeavesNoHalfFileThatWouldStayForever)
{
    // Room for a few small files only.
    ASSERT_NO_FATAL_FAILURE(fillDisk());
    QFile filler(home.file(QStringLiteral("filler")));
    ASSERT_TRUE(filler.resize(filler.size() - 3 * 4096));
    {
        ProgramRun run(sandbox, home.folder());
        if (run.waitUntilReady())
            run.terminate();
        ASSERT_TRUE(run.waitForExit());
    }
    const QStringList shipped = QDir(QStringLiteral(":/shipped")).entryList(QDir::Files);
    ASSERT_TRUE(shipped.contains(QStringLiteral("deutsch.lan")));
    auto expectWhole = [&] {
        for (const QString& name : shipped) {
            QFile original(QStringLiteral(":/shipped/") + name);
            ASSERT_TRUE(original.open(QIODevice::ReadOnly));
            if (QFile::exists(home.file(name)) && name != QLatin1String("netzpegel.ini") && name != Database::fileName())
                EXPECT_EQ(home.read(name), original.readAll()) << qPrintable(name) << " is not whole";
        }
    };
    expectWhole();
    if (QFile::exists(db()))
        EXPECT_EQ(integrityCheck(db()), QStringLiteral("ok"));

    // With room again, the next start lays down what is missing and runs.
    ASSERT_NO_FATAL_FAILURE(freeDisk());
    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
    ASSERT_TRUE(run.terminate());
    EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
    for (const QString& name : shipped)
        EXPECT_TRUE(QFile::exists(home.file(name))) << qPrintable(name);
    expectWhole();
    EXPECT_EQ(integrityCheck(db()), QStringLiteral("ok"));
}

} // namespace
