#include "acquisition/NetlinkInterfaceTable.h"
#include "acquisition/SysfsLinkInfo.h"
#include "acquisition/NicSampling.h"
#include "acquisition/TNic.h"
#include "fakes/FakeInterfaceTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if_arp.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
    InterfaceSampler sampler;
    ASSERT_TRUE(sampler.sample(replay, v));
    EXPECT_EQ(v[pos]->get_gesamt_received(), 0); // first sample cut to maxspeed 0
    replay.setRows(after);
    ASSERT_TRUE(sampler.sample(replay, v));
    EXPECT_EQ(v[pos]->get_gesamt_received(), static_cast<long double>(lo1->inOctets - lo0->inOctets));
    EXPECT_EQ(v[pos]->get_gesamt_send(), static_cast<long double>(lo1->outOctets - lo0->outOctets));

    // And straight from the kernel.
    const long double received = v[pos]->get_gesamt_received();
    const long double sent = v[pos]->get_gesamt_send();
    ASSERT_TRUE(sampler.sample(table, v));
    ASSERT_EQ(pushOverLoopback(kPush), kPush);
    ASSERT_TRUE(sampler.sample(table, v));
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

// Type and speed as sysfs gives them, from a fixture folder laid out as
// /sys/class/net is: a device link, a wireless folder, a speed file.
TEST(SysfsLinkInfo, TypeAndSpeedFromAFixture)
{
    QTemporaryDir fixture;
    ASSERT_TRUE(fixture.isValid());
    QDir root(fixture.path());
    auto put = [&](const QString& path, const QByteArray& content) {
        ASSERT_TRUE(root.mkpath(QFileInfo(root.filePath(path)).path()));
        QFile f(root.filePath(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    ASSERT_TRUE(root.mkpath(QStringLiteral("devices/pci0000:00/0000:00:19.0")));
    auto device = [&](const QString& name) {
        ASSERT_TRUE(root.mkpath(name));
        ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("devices/pci0000:00/0000:00:19.0")),
                                root.filePath(name + QStringLiteral("/device"))));
    };
    device(QStringLiteral("eth0"));
    put(QStringLiteral("eth0/speed"), "1000\n");
    device(QStringLiteral("wlan0"));
    ASSERT_TRUE(root.mkpath(QStringLiteral("wlan0/wireless")));
    put(QStringLiteral("wlan0/speed"), "-1\n");                // the kernel's "unknown"
    put(QStringLiteral("veth0/speed"), "10000\n");             // no device behind it
    ASSERT_TRUE(root.mkpath(QStringLiteral("br0/bridge")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("wl-virt/wireless"))); // wireless, but no device
    put(QStringLiteral("ppp0/speed"), "fast\n");
    put(QStringLiteral("lo/speed"), "");
    put(QStringLiteral("tun0/speed"), "10 \n");
    put(QStringLiteral("huge/speed"), "99999999999999999999\n");

    struct Case
    {
        const char* name;
        unsigned arphrd;
        uint32_t type;
        uint64_t speed;
    };
    const Case cases[] = {
        {"eth0", ARPHRD_ETHER, 6, 1000000000ull},   {"wlan0", ARPHRD_ETHER, 71, 0},
        {"veth0", ARPHRD_ETHER, 131, 10000000000ull}, {"br0", ARPHRD_ETHER, 131, 0},
        {"wl-virt", ARPHRD_ETHER, 131, 0},          {"ppp0", ARPHRD_PPP, 23, 0},
        {"lo", ARPHRD_LOOPBACK, 24, 0},             {"tun0", ARPHRD_NONE, 131, 10000000ull},
        {"gre0", ARPHRD_IPGRE, 131, 0},             {"fw0", ARPHRD_IEEE1394, 144, 0},
        {"huge", ARPHRD_ETHER, 131, 0},             {"missing", ARPHRD_ETHER, 131, 0},
        {"..", ARPHRD_ETHER, 131, 0},               {"eth0/../eth0", ARPHRD_ETHER, 131, 0},
    };
    const SysfsLinkInfo sysfs(fixture.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sysfs.ifType(c.arphrd, c.name), c.type);
        EXPECT_EQ(sysfs.speed(c.name), c.speed);
    }
}

TEST(SysfsLinkInfo, TypeFromLinkLayerTypeAndSysfs)
{
    struct Case { unsigned arphrd; bool device; bool wireless; uint32_t type; };
    const Case cases[] = {
        {ARPHRD_ETHER, true, false, 6},       {ARPHRD_ETHER, true, true, 71},      {ARPHRD_ETHER, false, false, 131},
        {ARPHRD_ETHER, false, true, 131},     {ARPHRD_LOOPBACK, false, false, 24}, {ARPHRD_PPP, false, false, 23},
        {ARPHRD_IEEE1394, true, false, 144},  {ARPHRD_TUNNEL, false, false, 131},  {ARPHRD_IPGRE, false, false, 131},
        {ARPHRD_NONE, false, false, 131},     {ARPHRD_INFINIBAND, true, false, 131}, {ARPHRD_IEEE80211, true, true, 131},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SysfsLinkInfo::ifTypeOf(c.arphrd, c.device, c.wireless), c.type)
            << c.arphrd << " device " << c.device << " wireless " << c.wireless;
}

// The real table takes type and speed from the sysfs it is given, once per interface.
TEST(NetlinkInterfaceTable, TypeAndSpeedFromSysfsWhenFirstSeen)
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
    for (const IfRow& r : real) {
        ASSERT_TRUE(root.mkpath(r.name + QStringLiteral("/device")));
        QFile speed(root.filePath(r.name + QStringLiteral("/speed")));
        ASSERT_TRUE(speed.open(QIODevice::WriteOnly));
        speed.write("100\n");
    }
    NetlinkInterfaceTable table(fixture.path());
    ASSERT_TRUE(table.open());
    std::vector<IfRow> rows;
    ASSERT_TRUE(table.read(rows));
    const IfRow* lo = findRow(rows, QStringLiteral("lo"));
    ASSERT_NE(lo, nullptr);
    EXPECT_EQ(lo->type, 24u) << "loopback whatever sysfs says";
    EXPECT_EQ(lo->speed, 100000000u);

    // Not read again: a changed sysfs shows only for an interface seen afresh.
    ASSERT_TRUE(QDir(root.filePath(QStringLiteral("lo"))).removeRecursively());
    ASSERT_TRUE(table.read(rows));
    EXPECT_EQ(findRow(rows, QStringLiteral("lo"))->speed, 100000000u);
    table.close();
    ASSERT_TRUE(table.open());
    ASSERT_TRUE(table.read(rows));
    EXPECT_EQ(findRow(rows, QStringLiteral("lo"))->speed, 0u);
}
