#include "engine/RestartCounters.h"
#include "acquisition/TNic.h"
#include "fakes/FakeInterfaceTable.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Counters = std::pair<long double, long double>;

const QByteArray kCache = "46364\r\n0\r\n100\r\n200\r\n1\r\n0\r\n0\r\n2\r\n0\r\n0\r\n";

// Raw counters as the kernel reports them when the cache was written.
constexpr uint64_t kEth0In = 800000;
constexpr uint64_t kEth0Out = 300000;
constexpr uint64_t kWlanIn = 50000;
constexpr uint64_t kWlanOut = 40000;

class RestartCountersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.write(QStringLiteral("boot_id"), "6f1c0e0a-boot-one\n");
        context.bewareOfTrafficDouble = false;
        rows = {FakeInterfaceTable::row(2, QStringLiteral("eth0"), kEth0In, kEth0Out),
                FakeInterfaceTable::row(3, QStringLiteral("wlan0"), kWlanIn, kWlanOut, 71)};
    }

    // The entries of one run: two adapters and the dial-up entry, last.
    std::vector<TNic*> entries()
    {
        std::vector<TNic*> v;
        for (const IfRow& row : rows) {
            owned.push_back(std::make_unique<TNic>(&context));
            owned.back()->setIdentity(row, false);
            v.push_back(owned.back().get());
        }
        owned.push_back(std::make_unique<TNic>(&context));
        owned.back()->setDfuIdentity(QStringLiteral("DFÜ"));
        v.push_back(owned.back().get());
        return v;
    }

    // A run that sampled the current rows and a dial-up connection, then wrote its files.
    void previousRun()
    {
        std::vector<TNic*> v = entries();
        for (size_t i = 0; i < rows.size(); ++i) {
            v[i]->set_wert_received(static_cast<long double>(rows[i].inOctets));
            v[i]->set_wert_send(static_cast<long double>(rows[i].outOctets));
        }
        v[2]->set_wert_received(9000);
        v[2]->set_wert_send(1000);
        ASSERT_TRUE(counters.write(v, kCache));
    }

    // What a start finds: the file read with the cache on disk, then the entries restored.
    int restore(const std::vector<TNic*>& v, const QByteArray& cache) { return restoreWith(counters, v, cache); }
    int restoreWith(RestartCounters& c, const std::vector<TNic*>& v, const QByteArray& cache)
    {
        c.load(cache);
        return c.restore(v, rows);
    }

    static Counters alte(const TNic* nic)
    {
        long double send = 0;
        long double received = 0;
        nic->get_alte_werte(send, received);
        return {send, received};
    }

    TempHome home;
    RestartCounters counters{home.file(QStringLiteral("netzpegel.counters")), home.file(QStringLiteral("boot_id"))};
    SampleContext context;
    std::vector<IfRow> rows;
    std::vector<std::unique_ptr<TNic>> owned;
};

TEST_F(RestartCountersTest, SameBootAndSameCacheStartFromTheStoredCounters)
{
    previousRun();
    // Traffic went on while the program was down.
    rows[0].inOctets += 1500;
    rows[0].outOctets += 700;

    std::vector<TNic*> v = entries();
    EXPECT_EQ(restore(v, kCache), 2);
    EXPECT_EQ(alte(v[0]), Counters(kEth0Out, kEth0In));
    EXPECT_EQ(alte(v[1]), Counters(kWlanOut, kWlanIn));
    EXPECT_EQ(alte(v[2]), Counters(0, 0)) << "a dial-up connection starts afresh";

    // The first sample counts what came since the cache was written, nothing twice.
    v[0]->set_wert_received(static_cast<long double>(rows[0].inOctets));
    v[0]->set_wert_send(static_cast<long double>(rows[0].outOctets));
    EXPECT_EQ(v[0]->get_gesamt_received(), 1500);
    EXPECT_EQ(v[0]->get_gesamt_send(), 700);
}

TEST_F(RestartCountersTest, NoCacheOnEitherSideStillBelongsTogether)
{
    std::vector<TNic*> before = entries();
    before[0]->set_wert_received(kEth0In);
    before[0]->set_wert_send(static_cast<long double>(rows[0].outOctets));
    ASSERT_TRUE(counters.write(before, QByteArray()));
    std::vector<TNic*> v = entries();
    EXPECT_EQ(restore(v, QByteArray()), 1) << "a never sampled entry has nothing to go on from";
    EXPECT_EQ(alte(v[0]).second, kEth0In);
    EXPECT_TRUE(v[0]->sampled());
    EXPECT_FALSE(v[1]->sampled());
    EXPECT_EQ(restore(entries(), kCache), 0) << "a cache appeared that was not written with them";
}

TEST_F(RestartCountersTest, CountersThatDoNotBelongAreNotUsed)
{
    struct Case
    {
        const char* what;
        std::function<void()> change;
        QByteArray cache;
        int restored;
    };
    const Case cases[] = {
        {"other boot", [this] { home.write(QStringLiteral("boot_id"), "boot-two\n"); }, kCache, 0},
        {"no boot id", [this] { QFile::remove(home.file(QStringLiteral("boot_id"))); }, kCache, 0},
        {"cache rewritten since", [] {}, QByteArray(kCache).replace("100", "101"), 0},
        {"cache gone since", [] {}, QByteArray(), 0},
        {"received counter reset", [this] { rows[0].inOctets = kEth0In - 1; }, kCache, 1},
        {"send counter reset", [this] { rows[1].outOctets = 10; }, kCache, 1},
        {"adapter gone", [this] { rows.erase(rows.begin()); }, kCache, 1},
        {"unknown adapter", [this] { rows[0].index = 9; }, kCache, 1},
        {"file garbage", [this] { home.write(QStringLiteral("netzpegel.counters"), "\x01\x02 x y z\n\n"); }, kCache, 0},
        {"file gone", [this] { QFile::remove(home.file(QStringLiteral("netzpegel.counters"))); }, kCache, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        previousRun();
        c.change();
        std::vector<TNic*> v = entries();
        EXPECT_EQ(restore(v, c.cache), c.restored);
        int started = 0;
        for (TNic* nic : v)
            started += alte(nic) != Counters(0, 0) ? 1 : 0;
        EXPECT_EQ(started, c.restored) << "the others start from 0";
    }
}

TEST_F(RestartCountersTest, DamagedLinesAreSkippedAndTheRestIsUsed)
{
    previousRun();
    QByteArray file = home.read(QStringLiteral("netzpegel.counters"));
    file.replace(QByteArray("00000003 ") + QByteArray::number(kWlanOut), "00000003 vierzig");
    file += "00000009 1\n";
    home.write(QStringLiteral("netzpegel.counters"), file);
    std::vector<TNic*> v = entries();
    EXPECT_EQ(restore(v, kCache), 1);
    EXPECT_EQ(alte(v[0]).second, kEth0In);
    EXPECT_EQ(alte(v[1]).second, 0);
}

TEST_F(RestartCountersTest, TheFileNamesTheEntryOfEveryCacheGroupInOrder)
{
    previousRun();
    counters.load(kCache);
    const QStringList owners{QStringLiteral("00000002"), QStringLiteral("00000003"), QStringLiteral("dfu")};
    EXPECT_EQ(counters.cacheOwners(), owners);

    // Never sampled entries are named too: the cache has a group for each.
    std::vector<TNic*> v = entries();
    ASSERT_TRUE(counters.write(v, kCache));
    counters.load(kCache);
    EXPECT_EQ(counters.cacheOwners(), owners);
    EXPECT_EQ(counters.restore(v, rows), 0);

    // Another boot makes the counters useless, not the names.
    previousRun();
    home.write(QStringLiteral("boot_id"), "boot-two\n");
    counters.load(kCache);
    EXPECT_EQ(counters.cacheOwners(), owners);
    EXPECT_EQ(counters.restore(entries(), rows), 0);

    // Without a boot identity the names are still written.
    QFile::remove(home.file(QStringLiteral("boot_id")));
    ASSERT_TRUE(counters.write(entries(), kCache));
    counters.load(kCache);
    EXPECT_EQ(counters.cacheOwners(), owners);

    // With another cache neither counts.
    counters.load(QByteArray(kCache).replace("100", "101"));
    EXPECT_TRUE(counters.cacheOwners().isEmpty());
}

TEST_F(RestartCountersTest, AnAdapterAdoptedLaterInTheRunTakesItsStoredCountersOnce)
{
    previousRun();
    const IfRow eth0 = rows[0];
    rows.erase(rows.begin()); // eth0 is not there when the program starts
    counters.load(kCache);
    std::vector<TNic*> v = entries();
    EXPECT_EQ(counters.restore(v, rows), 1);

    IfRow back = eth0;
    back.inOctets += 64;
    auto adopted = std::make_unique<TNic>(&context);
    adopted->setIdentity(back, false);
    ASSERT_TRUE(counters.restore(*adopted, back));
    EXPECT_EQ(alte(adopted.get()), Counters(kEth0Out, kEth0In));
    adopted->set_wert_received(static_cast<long double>(back.inOctets));
    EXPECT_EQ(adopted->get_gesamt_received(), 64) << "only what came since the counters were saved";

    TNic again(&context);
    again.setIdentity(back, false);
    EXPECT_FALSE(counters.restore(again, back)) << "used once";
}

TEST_F(RestartCountersTest, WriteFailsWithoutAFolder)
{
    std::vector<TNic*> v = entries();
    RestartCounters noFolder(home.file(QStringLiteral("fehlt/netzpegel.counters")), home.file(QStringLiteral("boot_id")));
    EXPECT_FALSE(noFolder.write(v, kCache));
    EXPECT_FALSE(QFile::exists(noFolder.filePath()));
}

} // namespace

namespace {

TEST_F(RestartCountersTest, AKillBetweenTheCountersAndTheCacheWriteLeavesTheOldPairToGoOnFrom)
{
    const QString cachePath = home.file(QStringLiteral("netzpegel.cache"));
    const QByteArray firstCache = "46364\r\n0\r\n100\r\n200\r\n1\r\n0\r\n0\r\n2\r\n0\r\n0\r\n";
    const QByteArray secondCache = "46364\r\n0\r\n700\r\n1700\r\n1\r\n0\r\n0\r\n2\r\n0\r\n0\r\n";
    std::vector<TNic*> v = entries();
    v[0]->set_wert_received(kEth0In);
    v[0]->set_wert_send(kEth0Out);
    ASSERT_TRUE(counters.replaceCache(v, cachePath, firstCache));
    EXPECT_EQ(home.read(QStringLiteral("netzpegel.cache")), firstCache);

    // More traffic; the counters that go with the next cache are written, then the kill.
    v[0]->set_wert_received(kEth0In + 1500);
    v[0]->set_wert_send(kEth0Out + 600);
    ASSERT_TRUE(counters.write(v, secondCache));
    rows[0].inOctets += 2000;
    rows[0].outOctets += 900;
    {
        RestartCounters next(counters.filePath(), home.file(QStringLiteral("boot_id")));
        std::vector<TNic*> again = entries();
        EXPECT_EQ(restoreWith(next, again, firstCache), 1) << "the cache on disk is still the first";
        EXPECT_EQ(alte(again[0]), Counters(kEth0Out, kEth0In));
    }

    // Had the cache been replaced too, the newer counters go with it.
    ASSERT_TRUE(counters.replaceCache(v, cachePath, secondCache));
    {
        RestartCounters next(counters.filePath(), home.file(QStringLiteral("boot_id")));
        std::vector<TNic*> again = entries();
        EXPECT_EQ(restoreWith(next, again, secondCache), 1);
        EXPECT_EQ(alte(again[0]), Counters(kEth0Out + 600, kEth0In + 1500));
        EXPECT_EQ(restoreWith(next, entries(), firstCache), 1) << "the pair before it is kept beside it";
    }

    // Only the newest cache and the one on disk before it are kept.
    for (int n = 0; n < 5; ++n)
        ASSERT_TRUE(counters.replaceCache(v, cachePath, secondCache + QByteArray::number(n)));
    const RestartCounters::Content content = RestartCounters::parse(home.read(QStringLiteral("netzpegel.counters")));
    EXPECT_EQ(content.generations.size(), 2u);
    EXPECT_EQ(restoreWith(counters, entries(), firstCache), 0) << "long replaced";
}

TEST_F(RestartCountersTest, ADeletedCacheGoesWithTheCountersOfItsDeletion)
{
    const QString cachePath = home.file(QStringLiteral("netzpegel.cache"));
    home.write(QStringLiteral("netzpegel.cache"), kCache);
    std::vector<TNic*> v = entries();
    v[1]->set_wert_received(kWlanIn);
    v[1]->set_wert_send(kWlanOut);
    ASSERT_TRUE(counters.replaceCache(v, cachePath, QByteArray()));
    EXPECT_FALSE(QFile::exists(cachePath));
    std::vector<TNic*> again = entries();
    EXPECT_EQ(restoreWith(counters, again, QByteArray()), 1);
    EXPECT_EQ(alte(again[1]), Counters(kWlanOut, kWlanIn));
}

} // namespace
