#include "acquisition/NicSampling.h"
#include "acquisition/TNic.h"
#include "config/TSprache.h"
#include "fakes/FakeInterfaceTable.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

namespace {

class NicSamplingTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(table.open()); }

    // One entry per row, as start-up makes them; all sampled through the live grid.
    void makeEntries(bool sonderModus = false)
    {
        for (const IfRow& r : table.rows()) {
            auto nic = std::make_unique<TNic>(&ctx);
            nic->setIdentity(r, sonderModus);
            nic->anzeigen_live = true;
            v.push_back(nic.get());
            owned.push_back(std::move(nic));
        }
    }

    TNic* addDfu()
    {
        auto nic = std::make_unique<TNic>(&ctx);
        nic->setDfuIdentity(QStringLiteral("DFU"));
        nic->anzeigen_live = true;
        v.push_back(nic.get());
        owned.push_back(std::move(nic));
        return v.back();
    }

    // Expected totals as {received, send} per entry.
    void expectTotals(const std::vector<std::pair<long double, long double>>& totals)
    {
        ASSERT_EQ(totals.size(), v.size());
        for (size_t i = 0; i < v.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "entry " << i);
            EXPECT_EQ(v[i]->get_gesamt_received(), totals[i].first);
            EXPECT_EQ(v[i]->get_gesamt_send(), totals[i].second);
        }
    }

    bool sample() { return sampler.sample(table, v); }

    SampleContext ctx{1000, false};
    FakeInterfaceTable table;
    InterfaceSampler sampler;
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> v;
};

} // namespace

TEST_F(NicSamplingTest, RowsFeedTheEntryWithTheirInterfaceIndex)
{
    table.setRows({FakeInterfaceTable::row(1, "lo", 100, 10), FakeInterfaceTable::row(2, "eth0", 200, 20),
                   FakeInterfaceTable::row(5, "wlan0", 500, 50)});
    makeEntries();
    ASSERT_TRUE(sample());
    expectTotals({{100, 10}, {200, 20}, {500, 50}});

    table.addOctets(1, 1, 2);
    table.addOctets(2, 30, 40);
    table.addOctets(5, 5000, 6000);
    ASSERT_TRUE(sample());
    expectTotals({{101, 12}, {230, 60}, {5500, 6050}});
    EXPECT_EQ(v[2]->get_rate_received(), 5000);
    EXPECT_EQ(v[2]->get_rate_send(), 6000);
    EXPECT_EQ(table.readCount(), 2);
    EXPECT_TRUE(sampler.appeared().empty());
}

TEST_F(NicSamplingTest, SonderModusIdsThatCollideStillCountApart)
{
    // 65539 and 131075 both end in 0003: their interface indexes tell them apart.
    table.setRows({FakeInterfaceTable::row(65539, "a", 100, 10), FakeInterfaceTable::row(131075, "b", 200, 20)});
    makeEntries(true);
    ASSERT_EQ(v[0]->Index, QStringLiteral("0003"));
    ASSERT_EQ(v[1]->Index, QStringLiteral("0003"));
    table.setRows({table.rows()[1], table.rows()[0]});
    table.addOctets(131075, 7, 0);
    ASSERT_TRUE(sample());
    expectTotals({{100, 10}, {207, 20}});
}

// Interfaces come and go between ticks; every adapter counts exactly its own
// counters' growth, nothing twice, whatever position its row has.
TEST_F(NicSamplingTest, AdaptersCountTheirOwnRowsWhileOthersComeAndGo)
{
    table.setRows({FakeInterfaceTable::row(1, "lo", 1000, 1000), FakeInterfaceTable::row(2, "eth0", 2000, 2000),
                   FakeInterfaceTable::row(5, "wlan0", 5000, 5000)});
    makeEntries();
    ASSERT_TRUE(sample());
    std::vector<std::pair<long double, long double>> expected = {{1000, 1000}, {2000, 2000}, {5000, 5000}};
    const uint32_t indexes[] = {1, 2, 5};
    // Grows every present row; returns the indexes the sampler offered as new.
    auto tick = [&](uint64_t in, uint64_t out) {
        for (size_t k = 0; k < 3; ++k) {
            if (table.addOctets(indexes[k], in, out)) {
                expected[k].first += in;
                expected[k].second += out;
            }
        }
        table.addOctets(3, 999, 999);
        EXPECT_TRUE(sample());
        expectTotals(expected);
        std::vector<uint32_t> appeared;
        for (const IfRow& r : sampler.appeared())
            appeared.push_back(r.index);
        return appeared;
    };
    auto without = [&](uint32_t index) {
        std::vector<IfRow> r = table.rows();
        std::erase_if(r, [&](const IfRow& x) { return x.index == index; });
        table.setRows(r);
    };

    // A row inserted before wlan0.
    table.setRows({table.rows()[0], table.rows()[1], FakeInterfaceTable::row(3, "tun0", 3000, 3000), table.rows()[2]});
    EXPECT_EQ(tick(10, 20), std::vector<uint32_t>{3});
    // eth0, below wlan0, removed; wlan0 keeps counting.
    IfRow eth = *std::find_if(table.rows().begin(), table.rows().end(), [](const IfRow& r) { return r.index == 2; });
    without(2);
    EXPECT_EQ(tick(100, 200), std::vector<uint32_t>{3});
    // Rows served in reverse order.
    std::reverse(table.rows().begin(), table.rows().end());
    EXPECT_EQ(tick(1000, 2000), std::vector<uint32_t>{3});
    // eth0 back under its index, with traffic from while it was gone: counted once, now.
    eth.inOctets += 500;
    eth.outOctets += 600;
    expected[1].first += 500;
    expected[1].second += 600;
    table.rows().push_back(eth);
    EXPECT_EQ(tick(10000, 20000), std::vector<uint32_t>{3});
    EXPECT_EQ(v[1]->get_rate_received(), 10500);
    // lo, the lowest index, removed.
    without(1);
    EXPECT_EQ(tick(7, 8), std::vector<uint32_t>{3});
}

TEST_F(NicSamplingTest, AGoneInterfaceShowsNoRateAndKeepsItsTotals)
{
    table.setRows({FakeInterfaceTable::row(1, "lo", 100, 10), FakeInterfaceTable::row(2, "eth0", 200, 20)});
    makeEntries();
    ASSERT_TRUE(sample());
    table.addOctets(2, 50, 60);
    ASSERT_TRUE(sample());
    EXPECT_EQ(v[1]->get_rate_received(), 50);
    table.setRows({table.rows()[0]});
    ASSERT_TRUE(sample());
    EXPECT_EQ(v[1]->get_rate_received(), 0);
    EXPECT_EQ(v[1]->get_rate_send(), 0);
    expectTotals({{100, 10}, {250, 80}});
}

TEST_F(NicSamplingTest, RowsWithoutAnEntryAreOfferedAndTheDialUpEntryIsLeftAlone)
{
    table.setRows({FakeInterfaceTable::row(1, "lo", 100, 10)});
    makeEntries();
    TNic* dfu = addDfu();
    table.setRows({FakeInterfaceTable::row(1, "lo", 100, 10), FakeInterfaceTable::row(3, "eth1", 300, 30),
                   FakeInterfaceTable::row(2, "eth0", 200, 20)});
    ASSERT_TRUE(sample());
    expectTotals({{100, 10}, {0, 0}});
    EXPECT_EQ(dfu->get_wert_received(), 0);
    EXPECT_EQ(dfu->get_wert_send(), 0);
    ASSERT_EQ(sampler.appeared().size(), 2u);
    EXPECT_EQ(sampler.appeared()[0].name, QStringLiteral("eth0")) << "in index order";
    EXPECT_EQ(sampler.appeared()[1].name, QStringLiteral("eth1"));
    EXPECT_EQ(sampler.appeared()[1].inOctets, 300u);

    // A failed read offers nothing.
    table.setReadFails(true);
    EXPECT_FALSE(sample());
    EXPECT_TRUE(sampler.appeared().empty());
}

TEST_F(NicSamplingTest, FiveHundredInterfacesComingAndGoing)
{
    std::vector<IfRow> rows;
    for (uint32_t i = 1; i <= 500; ++i)
        rows.push_back(FakeInterfaceTable::row(i * 7, QStringLiteral("veth%1").arg(i), i, i));
    table.setRows(rows);
    makeEntries();
    ASSERT_TRUE(sample());
    // Every other interface goes; the others grow by 1000 a tick; the gone ones
    // grow by 5 while away and come back.
    std::vector<IfRow> half;
    for (size_t i = 0; i < rows.size(); i += 2)
        half.push_back(rows[i]);
    table.setRows(half);
    for (int tick = 0; tick < 3; ++tick) {
        for (IfRow& r : table.rows())
            r.inOctets += 1000;
        ASSERT_TRUE(sample());
    }
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].inOctets = i % 2 == 0 ? rows[i].inOctets + 3000 : rows[i].inOctets + 5;
    table.setRows(rows);
    ASSERT_TRUE(sample());
    for (size_t i = 0; i < v.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v[i]->get_gesamt_received(), static_cast<long double>(rows[i].inOctets));
    }
    EXPECT_TRUE(sampler.appeared().empty());
}

TEST_F(NicSamplingTest, EntriesWithBothFlagsOffKeepTheirTotals)
{
    table.setRows({FakeInterfaceTable::row(1, "a", 100, 10), FakeInterfaceTable::row(2, "b", 200, 20),
                   FakeInterfaceTable::row(3, "c", 300, 30)});
    makeEntries();
    v[1]->anzeigen_live = false;
    v[1]->anzeigen_graph = true;
    v[2]->anzeigen_live = false;
    for (int tick = 0; tick < 3; ++tick) {
        table.addOctets(1, 1000, 1000);
        table.addOctets(2, 1000, 1000);
        table.addOctets(3, 1000000, 1000000);
        ASSERT_TRUE(sample());
    }
    expectTotals({{3100, 3010}, {3200, 3020}, {0, 0}});
    EXPECT_EQ(v[2]->get_wert_received(), 0);
}

TEST_F(NicSamplingTest, FailedReadUpdatesNothing)
{
    table.setRows({FakeInterfaceTable::row(1, "lo", 100, 10), FakeInterfaceTable::row(2, "eth0", 200, 20)});
    makeEntries();
    ASSERT_TRUE(sample());
    table.addOctets(1, 5, 5);
    table.addOctets(2, 7, 7);

    table.setReadFails(true);
    EXPECT_FALSE(sample());
    expectTotals({{100, 10}, {200, 20}});
    for (TNic* nic : v) {
        long double s = 0, r = 0;
        nic->get_alte_werte(s, r);
        EXPECT_EQ(nic->get_wert_received(), r);
        EXPECT_EQ(nic->get_wert_send(), s);
    }
    EXPECT_EQ(table.readCount(), 2);

    table.setReadFails(false);
    table.close();
    EXPECT_FALSE(sample());
    expectTotals({{100, 10}, {200, 20}});

    ASSERT_TRUE(table.open());
    ASSERT_TRUE(sample());
    expectTotals({{105, 15}, {207, 27}});
}

TEST_F(NicSamplingTest, LiveGridTextsForTwoTicks)
{
    TempHome home;
    home.write("units.lan",
               "[Quantities_1000]\n0=B\n1=KB\n2=MB\n3=GB\n4=TB\n5=PB\n6=EB\n7=ZB\n8=YB\n"
               "[Quantities_1024]\n0=B\n1=KiB\n2=MiB\n3=GiB\n4=TiB\n5=PiB\n6=EiB\n7=ZiB\n8=YiB\n");
    TSprache sprache;
    ASSERT_TRUE(sprache.Laden("units.lan"));

    table.setRows({FakeInterfaceTable::row(1, "lo", 1500, 300), FakeInterfaceTable::row(2, "eth0", 10, 20),
                   FakeInterfaceTable::row(3, "wlan0", 2048000, 7)});
    makeEntries();
    v[1]->anzeigen_live = false;
    v[1]->anzeigen_graph = true;
    addDfu();
    EXPECT_EQ(liveGridRowCount(v), 4);

    // The first tick counts the counters as they stand (no first-sample cut
    // here) and is shown in base 1000; the second adds traffic, in base 1024.
    ASSERT_TRUE(sample());
    using Row = std::array<QString, 6>;
    auto cells = [](const LiveGridRow& r) { return Row{r.cells[0], r.cells[1], r.cells[2], r.cells[3], r.cells[4], r.cells[5]}; };
    std::vector<LiveGridRow> rows = liveGridRows(v, 1000, sprache);
    ASSERT_EQ(rows.size(), 2u) << "eth0 is not live, the dial-up entry has a row of its own";
    // Name, send rate, receive rate, send total, receive total, ID.
    EXPECT_EQ(cells(rows[0]), (Row{"lo", "300.00 B", "1.50 KB", "300.00 B", "1.50 KB", "00000001"}));
    EXPECT_EQ(cells(rows[1]), (Row{"wlan0", "7.00 B", "2.05 MB", "7.00 B", "2.05 MB", "00000003"}));

    table.addOctets(1, 4000, 9000);
    table.addOctets(3, 3000000, 123456);
    ASSERT_TRUE(sample());
    rows = liveGridRows(v, 1024, sprache);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(cells(rows[0]), (Row{"lo", "8.79 KiB", "3.91 KiB", "9.08 KiB", "5.37 KiB", "00000001"}));
    EXPECT_EQ(cells(rows[1]), (Row{"wlan0", "120.56 KiB", "2.86 MiB", "120.57 KiB", "4.81 MiB", "00000003"}));
}

TEST(LiveGridRowCount, HeaderPlusEveryLiveEntry)
{
    SampleContext ctx;
    TNic a(&ctx), b(&ctx), dfu(&ctx);
    dfu.setDfuIdentity(QStringLiteral("DFU"));
    EXPECT_EQ(liveGridRowCount({}), 1);
    EXPECT_EQ(liveGridRowCount({&a, &b, &dfu}), 1);
    dfu.anzeigen_live = true;
    b.anzeigen_graph = true;
    EXPECT_EQ(liveGridRowCount({&a, &b, &dfu}), 2);
    a.anzeigen_live = true;
    EXPECT_EQ(liveGridRowCount({&a, &b, &dfu}), 3);
}
