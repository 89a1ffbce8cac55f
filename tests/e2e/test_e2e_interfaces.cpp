// The executable while interfaces of its namespace come and go: adapters keep
// counting byte-exact when a neighbour goes, new interfaces are taken on with
// their tables, and the kernel's table is read whole however many links it has.
#include "acquisition/NetlinkInterfaceTable.h"
#include "acquisition/NetlinkLinkWatch.h"
#include "storage/Database.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"
#include "support/e2e/E2eTest.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>

#include <algorithm>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace {

constexpr qint64 kPayload = 60000;

class E2eInterfaces : public E2eTest
{
protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        if (IsSkipped())
            return;
        // Without IPv6 the veths send nothing of their own: the counters move only with the test's frames.
        ASSERT_TRUE(sandbox.quiet());
    }

    bool addVethPair(const QString& a, const QString& b) const
    {
        return sandbox.ip({"link", "add", a, "type", "veth", "peer", "name", b})
            && sandbox.ip({"link", "set", a, "up"}) && sandbox.ip({"link", "set", b, "up"});
    }

    QString idOf(const QString& interface) const
    {
        const int index = sandbox.ifIndex(interface);
        return index > 0 ? QStringLiteral("%1").arg(index, 8, 16, QLatin1Char('0')) : QString();
    }

    QString anzeigen(const QString& index) const
    {
        try {
            Database database(db());
            const QList<DbRow> rows = database.query(
                QStringLiteral("SELECT anzeigen FROM %1").arg(Database::quoteIdentifier(index + "_einstellungen")));
            return rows.isEmpty() ? QString() : rows[0].text(QStringLiteral("anzeigen"));
        } catch (const std::exception&) {
            return {}; // not there yet
        }
    }

    // Until the program has saved exactly the kernel's counters of `interface`.
    bool countedUpTo(ProgramRun& run, const QString& interface, const QString& index) const
    {
        const LoopbackCounters kernel = sandbox.counters(interface);
        return kernel.valid && run.waitUntil([&] {
            const LoopbackCounters saved = savedCounters(index);
            return saved.valid && saved.rx == kernel.rx && saved.tx == kernel.tx;
        });
    }
};

TEST_F(E2eInterfaces, TrafficOverAnAdapterWhoseLowerNeighbourWentIsBookedByteExact)
{
    ASSERT_TRUE(addVethPair("va0", "va1"));
    ASSERT_TRUE(addVethPair("vb0", "vb1"));
    const QString a0 = idOf("va0");
    const QString a1 = idOf("va1");
    const QString b0 = idOf("vb0");
    const QString b1 = idOf("vb1");
    ASSERT_LT(a0, b0);
    {
        ProgramRun install(sandbox, home.folder());
        ASSERT_TRUE(install.waitUntilReady()) << qPrintable(install.errorOutput());
        ASSERT_TRUE(install.terminate());
        ASSERT_TRUE(install.exitedCleanly()) << qPrintable(install.errorOutput());
    }
    for (const QString& index : {a0, a1, b0, b1}) {
        EXPECT_EQ(anzeigen(index), "00") << "a veth has no device: provisioned hidden";
        ASSERT_TRUE(setAnzeigen(db(), index, QStringLiteral("11")));
    }

    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
    ASSERT_TRUE(countedUpTo(run, "vb0", b0));
    // The lower-indexed pair goes while the program runs.
    ASSERT_TRUE(sandbox.ip({"link", "delete", "va0"}));
    ASSERT_TRUE(sandbox.pushFrames("vb0", kPayload));
    ASSERT_TRUE(sandbox.pushFrames("vb1", kPayload / 2));
    ASSERT_TRUE(countedUpTo(run, "vb0", b0));
    ASSERT_TRUE(countedUpTo(run, "vb1", b1));
    const LoopbackCounters vb0 = sandbox.counters("vb0");
    const LoopbackCounters vb1 = sandbox.counters("vb1");
    ASSERT_TRUE(run.terminate());
    EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());

    // The veths came up with the namespace quiet: their counters hold exactly the test's
    // frames, all of which the first samples and those after counted.
    ASSERT_GE(vb0.tx, static_cast<quint64>(kPayload));
    ASSERT_GE(vb1.tx, static_cast<quint64>(kPayload / 2));
    const DayTraffic bookedB0 = bookedSinceStart(b0);
    const DayTraffic bookedB1 = bookedSinceStart(b1);
    EXPECT_EQ(bookedB0.rows, 1);
    EXPECT_EQ(bookedB0.send, static_cast<double>(vb0.tx));
    EXPECT_EQ(bookedB0.received, static_cast<double>(vb0.rx));
    EXPECT_EQ(bookedB1.send, static_cast<double>(vb1.tx));
    EXPECT_EQ(bookedB1.received, static_cast<double>(vb1.rx));
    EXPECT_EQ(bookedSinceStart(a0).rows, 1) << "the gone adapter is booked too";
    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
}

TEST_F(E2eInterfaces, AnInterfaceCreatedWhileRunningGetsItsTablesHiddenAsVirtual)
{
    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
    ASSERT_TRUE(addVethPair("vc0", "vc1"));
    const QString c0 = idOf("vc0");
    const QString c1 = idOf("vc1");
    ASSERT_TRUE(run.waitUntil([&] { return anzeigen(c0) == "00" && anzeigen(c1) == "00"; }))
        << qPrintable(run.errorOutput());
    // Adopted: in the counters file beside the cache, as an entry of the run.
    ASSERT_TRUE(run.waitUntil([&] { return home.read(QStringLiteral("netzpegel.cache.counters")).contains(c1.toUtf8()); }));
    ASSERT_TRUE(run.terminate());
    EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    EXPECT_TRUE(savedEntries().contains(c0));
    EXPECT_EQ(bookedSinceStart(c1).rows, 1) << "booked at the end like every entry";
    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("error")).isEmpty()) << qPrintable(run.errorOutput());
    EXPECT_TRUE(messagesOf(run.errorOutput(), QStringLiteral("warning")).isEmpty()) << qPrintable(run.errorOutput());
}

TEST_F(E2eInterfaces, WithEveryEntryHiddenAnInterfaceCreatedWhileRunningIsStillTakenOn)
{
    {
        ProgramRun first(sandbox, home.folder());
        ASSERT_TRUE(first.waitUntilReady()) << qPrintable(first.errorOutput());
        ASSERT_TRUE(first.terminate());
    }
    // Nothing is sampled now: the program waits for the kernel to tell of a new link.
    const QStringList entries = savedEntries();
    ASSERT_FALSE(entries.isEmpty());
    for (const QString& index : entries)
        ASSERT_TRUE(setAnzeigen(db(), index, QStringLiteral("00")));
    ProgramRun run(sandbox, home.folder());
    ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
    // Counting has begun (the cache is written) before the link comes.
    QFile::remove(cachePath());
    ASSERT_TRUE(run.waitUntil([&] { return QFile::exists(cachePath()); }));
    ASSERT_TRUE(addVethPair("vr0", "vr1"));
    const QString r1 = idOf("vr1");
    ASSERT_TRUE(run.waitUntil([&] { return anzeigen(r1) == "00"; })) << qPrintable(run.errorOutput());
    ASSERT_TRUE(run.terminate());
    EXPECT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
    EXPECT_TRUE(savedEntries().contains(r1));
}

// The link watch on the sandbox's links: a link that comes, goes up or goes is told; traffic,
// which changes only counters, is not.
TEST_F(E2eInterfaces, TheLinkWatchTellsOfLinksAndNotOfTraffic)
{
    // A thread's network namespace is its own: the watch's socket is made in the sandbox's.
    const int own = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int inside = ::open(("/run/netns/" + sandbox.name()).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(own, 0);
    ASSERT_GE(inside, 0) << "the sandbox's namespace file";
    ASSERT_EQ(::setns(inside, CLONE_NEWNET), 0);
    NetlinkLinkWatch watch;
    int told = 0;
    const bool started = watch.start([&] { ++told; });
    const bool back = ::setns(own, CLONE_NEWNET) == 0;
    ::close(inside);
    ::close(own);
    ASSERT_TRUE(back);
    ASSERT_TRUE(started);

    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 0) << "counters moving is no change of the links";
    for (const QStringList& change : {QStringList{"link", "add", "vw0", "type", "veth", "peer", "name", "vw1"},
                                      QStringList{"link", "set", "vw0", "up"}, QStringList{"link", "del", "vw0"}}) {
        const int before = told;
        ASSERT_TRUE(sandbox.ip(change));
        EXPECT_TRUE(waitFor([&] { return told > before; })) << qPrintable(change.join(' '));
    }
    watch.stop();
    const int stopped = told;
    ASSERT_TRUE(sandbox.ip({"link", "add", "vx0", "type", "veth", "peer", "name", "vx1"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(told, stopped) << "nothing after stop";
}

// The table reader itself on a namespace full of links, one of them with a
// name of fifteen bytes that are no text: every link is read, sorted, once.
TEST_F(E2eInterfaces, TheTableIsReadWholeWithFiveHundredLinksAndOddNames)
{
    // Fifteen bytes that are no text (no space, '/' or ':', which the kernel refuses).
    const QByteArray odd("\xff\xfe\x80\x81\xc3\x28\xa1\xe2\x28\xa2\xf0\x28\x8c\xbc\xfd", 15);
    QByteArray batch;
    for (int i = 0; i < 250; ++i)
        batch += QStringLiteral("link add m%1 type veth peer name n%1\n").arg(i).toLatin1();
    batch += "link add odd0 type ifb\nlink set odd0 name " + odd + "\n";
    home.write("links.batch", batch);
    ASSERT_TRUE(sandbox.ip({"-batch", home.file("links.batch")}));

    NetlinkInterfaceTable table;
    bool opened = false;
    {
        // A netlink socket belongs to the namespace it is made in.
        const int here = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const int there = ::open(qPrintable("/run/netns/" + sandbox.name()), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(here, 0);
        ASSERT_GE(there, 0);
        ASSERT_EQ(::setns(there, CLONE_NEWNET), 0);
        opened = table.open();
        ASSERT_EQ(::setns(here, CLONE_NEWNET), 0);
        ::close(here);
        ::close(there);
    }
    ASSERT_TRUE(opened);
    std::vector<IfRow> rows;
    ASSERT_TRUE(table.read(rows));
    ASSERT_EQ(rows.size(), 502u) << "lo, 250 pairs and the odd one";
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1].index, rows[i].index);
    const auto oddRow = std::find_if(rows.begin(), rows.end(), [](const IfRow& r) {
        return r.name != QLatin1String("lo") && !r.name.startsWith('m') && !r.name.startsWith('n');
    });
    ASSERT_NE(oddRow, rows.end());
    EXPECT_EQ(oddRow->type, 131u);
    EXPECT_EQ(oddRow->speed, 0u);
    // Read again: the same links; then one more and one less, each told by name.
    std::vector<IfRow> again;
    ASSERT_TRUE(table.read(again));
    EXPECT_EQ(again.size(), rows.size());
    ASSERT_TRUE(sandbox.ip({"link", "delete", "m7"}));
    ASSERT_TRUE(sandbox.ip({"link", "add", "late0", "type", "ifb"}));
    ASSERT_TRUE(table.read(again));
    EXPECT_EQ(again.size(), rows.size() - 1);
    auto named = [&](const char* name) {
        return std::count_if(again.begin(), again.end(), [&](const IfRow& r) { return r.name == QLatin1String(name); });
    };
    EXPECT_EQ(named("late0"), 1);
    EXPECT_EQ(named("m7"), 0);
    EXPECT_EQ(named("n7"), 0) << "its peer went with it";
    EXPECT_EQ(named("m8"), 1);
}

} // namespace
