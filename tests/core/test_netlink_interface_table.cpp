#include "acquisition/NetlinkInterfaceTable.h"
#include "acquisition/NicSampling.h"
#include "acquisition/TNic.h"
#include "fakes/FakeInterfaceTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if_arp.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <thread>

namespace {

constexpr size_t kPush = 1u << 20; // 1 MiB

// Sends `bytes` over a TCP connection on 127.0.0.1; returns what the far end received.
uint64_t pushOverLoopback(size_t bytes)
{
    const int srv = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (srv < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(srv, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(srv, 1) != 0
        || ::getsockname(srv, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(srv);
        return 0;
    }
    uint64_t received = 0;
    std::thread reader([&] {
        const int c = ::accept(srv, nullptr, nullptr);
        if (c < 0)
            return;
        char buf[65536];
        ssize_t n;
        while ((n = ::read(c, buf, sizeof buf)) > 0)
            received += static_cast<uint64_t>(n);
        ::close(c);
    });
    const int cli = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (cli >= 0 && ::connect(cli, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const std::string chunk(65536, 'x');
        size_t sent = 0;
        while (sent < bytes) {
            const ssize_t n = ::write(cli, chunk.data(), std::min(chunk.size(), bytes - sent));
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        ::shutdown(cli, SHUT_WR);
    } else {
        ::shutdown(srv, SHUT_RDWR); // wakes the reader's accept
    }
    reader.join();
    if (cli >= 0)
        ::close(cli);
    ::close(srv);
    return received;
}

const IfRow* findRow(const std::vector<IfRow>& rows, const QString& name)
{
    for (const IfRow& r : rows)
        if (r.name == name)
            return &r;
    return nullptr;
}

} // namespace

TEST(NetlinkInterfaceTable, ReadsTheKernelTableSortedWithLoopback)
{
    NetlinkInterfaceTable table;
    ASSERT_TRUE(table.open());
    std::vector<IfRow> rows;
    ASSERT_TRUE(table.read(rows));
    ASSERT_FALSE(rows.empty());
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1].index, rows[i].index);
    for (const IfRow& r : rows)
        EXPECT_EQ(r.index, ::if_nametoindex(r.name.toLocal8Bit().constData())) << r.name.toStdString();

    const IfRow* lo = findRow(rows, QStringLiteral("lo"));
    ASSERT_NE(lo, nullptr);
    EXPECT_EQ(lo->type, 24u);
    EXPECT_EQ(lo->speed, 0u); // the kernel refuses to tell a loopback speed
    EXPECT_EQ(TNic::macText(lo->physAddr), QStringLiteral("00:00:00:00:00:00"));
}

TEST(NetlinkInterfaceTable, LoopbackTrafficGrowsCountersAndTotals)
{
    NetlinkInterfaceTable table;
    ASSERT_TRUE(table.open());
    std::vector<IfRow> before, after;
    ASSERT_TRUE(table.read(before));
    ASSERT_EQ(pushOverLoopback(kPush), kPush);
    ASSERT_TRUE(table.read(after));
    const IfRow* lo0 = findRow(before, QStringLiteral("lo"));
    const IfRow* lo1 = findRow(after, QStringLiteral("lo"));
    ASSERT_TRUE(lo0 && lo1);
    EXPECT_GE(lo1->inOctets - lo0->inOctets, kPush);
    EXPECT_GE(lo1->outOctets - lo0->outOctets, kPush);

    // Both reads through the sampling step: the totals take exactly the growth.
    SampleContext ctx{1000, true};
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> v;
    for (const IfRow& r : before) {
        owned.push_back(std::make_unique<TNic>(&ctx));
        owned.back()->setIdentity(r, false);
        owned.back()->anzeigen_graph = true;
        owned.back()->maxspeed = 0;
        v.push_back(owned.back().get());
    }
    const size_t pos = static_cast<size_t>(lo0 - before.data());
    FakeInterfaceTable replay;
    ASSERT_TRUE(replay.open());
    replay.setRows(before);
    ASSERT_TRUE(sampleInterfaceTable(replay, v, false));
    EXPECT_EQ(v[pos]->get_gesamt_received(), 0); // first sample cut to maxspeed 0
    replay.setRows(after);
    ASSERT_TRUE(sampleInterfaceTable(replay, v, false));
    EXPECT_EQ(v[pos]->get_gesamt_received(), static_cast<long double>(lo1->inOctets - lo0->inOctets));
    EXPECT_EQ(v[pos]->get_gesamt_send(), static_cast<long double>(lo1->outOctets - lo0->outOctets));

    // And straight from the kernel.
    const long double received = v[pos]->get_gesamt_received();
    const long double sent = v[pos]->get_gesamt_send();
    ASSERT_TRUE(sampleInterfaceTable(table, v, false));
    ASSERT_EQ(pushOverLoopback(kPush), kPush);
    ASSERT_TRUE(sampleInterfaceTable(table, v, false));
    EXPECT_GE(v[pos]->get_gesamt_received() - received, kPush);
    EXPECT_GE(v[pos]->get_gesamt_send() - sent, kPush);
}

TEST(NetlinkInterfaceTable, ReadFailsWhileClosedAndLeavesRowsAlone)
{
    NetlinkInterfaceTable table;
    std::vector<IfRow> rows(1);
    rows[0].name = QStringLiteral("sentinel");
    EXPECT_FALSE(table.isOpen());
    EXPECT_FALSE(table.read(rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, QStringLiteral("sentinel"));

    ASSERT_TRUE(table.open());
    EXPECT_TRUE(table.isOpen());
    ASSERT_TRUE(table.read(rows));
    table.close();
    EXPECT_FALSE(table.isOpen());
    std::vector<IfRow> again = rows;
    EXPECT_FALSE(table.read(again));
    EXPECT_EQ(again.size(), rows.size());

    // Reopening gives a working table again.
    ASSERT_TRUE(table.open());
    EXPECT_TRUE(table.read(again));
    EXPECT_NE(findRow(again, QStringLiteral("lo")), nullptr);
}

TEST(NetlinkInterfaceTable, TypeAndSpeedFromAFixtureSysfs)
{
    std::vector<IfRow> real;
    {
        NetlinkInterfaceTable table;
        ASSERT_TRUE(table.open());
        ASSERT_TRUE(table.read(real));
    }
    QTemporaryDir fixture;
    ASSERT_TRUE(fixture.isValid());
    QDir root(fixture.path());
    auto put = [&](const QString& name, const char* file, const QByteArray& content) {
        QFile f(root.filePath(name + '/' + file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    };

    // Expected type and speed per interface name.
    std::map<QString, std::pair<uint32_t, uint64_t>> expected;
    int ether = 0;
    for (const IfRow& r : real) {
        ASSERT_TRUE(root.mkpath(r.name));
        if (r.name == QLatin1String("lo")) {
            put(r.name, "speed", "100\n");
            ASSERT_TRUE(root.mkpath(r.name + "/wireless")); // only Ethernet links can be wireless
            expected[r.name] = {24, 100000000ull};
        } else if (r.type == 6 || r.type == 71) {
            switch (ether++ % 3) {
            case 0:
                ASSERT_TRUE(root.mkpath(r.name + "/wireless"));
                put(r.name, "speed", "-1\n");
                expected[r.name] = {71, 0};
                break;
            case 1:
                put(r.name, "speed", "10000\n");
                expected[r.name] = {6, 10000000000ull};
                break;
            default:
                expected[r.name] = {6, 0}; // no speed file
                break;
            }
        } else {
            put(r.name, "speed", "fast\n");
            expected[r.name] = {r.type, 0};
        }
    }
    if (ether == 0)
        RecordProperty("note", "no Ethernet link on this machine: wireless mapping not exercised");

    NetlinkInterfaceTable table(fixture.path());
    ASSERT_TRUE(table.open());
    std::vector<IfRow> rows;
    ASSERT_TRUE(table.read(rows));
    for (const IfRow& r : rows) {
        const auto it = expected.find(r.name);
        if (it == expected.end())
            continue; // appeared since the first read
        EXPECT_EQ(r.type, it->second.first) << r.name.toStdString();
        EXPECT_EQ(r.speed, it->second.second) << r.name.toStdString();
    }
}

TEST(NetlinkInterfaceTable, TypeFromLinkLayerType)
{
    struct Case { unsigned arphrd; bool wireless; uint32_t type; };
    const Case cases[] = {
        {ARPHRD_ETHER, false, 6},      {ARPHRD_ETHER, true, 71},     {ARPHRD_LOOPBACK, false, 24},
        {ARPHRD_PPP, false, 23},       {ARPHRD_IEEE1394, false, 144}, {ARPHRD_TUNNEL, false, 131},
        {ARPHRD_IPGRE, false, 131},    {ARPHRD_NONE, false, 131},     {ARPHRD_INFINIBAND, false, 131},
        {ARPHRD_IEEE80211, false, 131},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NetlinkInterfaceTable::ifTypeOf(c.arphrd, c.wireless), c.type)
            << c.arphrd << " wireless " << c.wireless;
}
