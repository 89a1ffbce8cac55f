#include "support/e2e/E2eTest.h"

#include "support/TestDatabase.h"

#include <QFile>

namespace {

constexpr qint64 kWarmUpBytes = 3000;

} // namespace

void E2eTest::SetUp()
{
    firstDay = QDate::currentDate();
    if (!sandbox.unavailable().isEmpty())
        GTEST_SKIP() << qPrintable(sandbox.unavailable());
    const int ifIndex = sandbox.loopbackIfIndex();
    ASSERT_GT(ifIndex, 0);
    lo = QStringLiteral("%1").arg(ifIndex, 8, 16, QLatin1Char('0'));
}

DayTraffic E2eTest::bookedSinceStart(const QString& index, const QString& folder) const
{
    const QString path = (folder.isEmpty() ? home.folder() : folder) + QStringLiteral("Datenbank.mdb");
    return trafficSince(path, index, firstDay);
}

void E2eTest::installWithLoopbackCounted()
{
    {
        ProgramRun first(sandbox, home.folder());
        ASSERT_TRUE(first.waitUntilReady()) << qPrintable(first.errorOutput());
        ASSERT_TRUE(first.terminate());
        ASSERT_TRUE(first.exitedCleanly()) << qPrintable(first.errorOutput());
    }
    ASSERT_TRUE(setAnzeigen(db(), lo, QStringLiteral("11")));
    // A counter still at 0 makes every sample look like a first one, which is cut.
    ASSERT_TRUE(sandbox.pushTraffic(kWarmUpBytes));
    ASSERT_GT(sandbox.loopback().rx, 0u);
}

LoopbackCounters E2eTest::savedCounters(const QString& index, const QString& folder) const
{
    LoopbackCounters c;
    const QByteArray prefix = index.toUtf8() + ' ';
    QFile file((folder.isEmpty() ? home.folder() : folder) + QStringLiteral("/netzpegel.cache.counters"));
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    for (const QByteArray& line : content.split('\n')) {
        if (line.startsWith("previous "))
            break; // the counters of the cache before the newest one
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (!line.startsWith(prefix) || parts.size() != 3)
            continue;
        bool okTx = false;
        bool okRx = false;
        c.tx = parts[1].toULongLong(&okTx);
        c.rx = parts[2].toULongLong(&okRx);
        c.valid = okTx && okRx;
    }
    return c;
}

QStringList E2eTest::savedEntries() const
{
    return trafficTables(home.file(QStringLiteral("Datenbank.mdb")));
}

bool E2eTest::countedUpTo(ProgramRun& run, const LoopbackCounters& kernel) const
{
    return run.waitUntil([&] {
        const LoopbackCounters saved = savedCounters(lo);
        return saved.valid && saved.rx == kernel.rx && saved.tx == kernel.tx;
    });
}

QStringList messagesOf(const QString& errorOutput, const QString& kind)
{
    QStringList texts;
    const QString prefix = QStringLiteral("netzpegel ") + kind + QStringLiteral(": ");
    for (const QString& line : errorOutput.split(QLatin1Char('\n')))
        if (line.startsWith(prefix))
            texts << line.mid(prefix.size());
    return texts;
}
