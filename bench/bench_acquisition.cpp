#include "acquisition/NetlinkInterfaceTable.h"
#include "acquisition/NicSampling.h"
#include "acquisition/TNic.h"
#include "config/TSprache.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sched.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

// A network namespace of the benchmark's own with `count` interfaces: lo, veth
// pairs and one ifb when the count is even. Entered only while a socket is
// made, so the sockets see its table while the thread stays where it was.
class BenchNamespace
{
public:
    explicit BenchNamespace(int count)
        : m_name(QStringLiteral("np-bench-%1-%2").arg(::getpid()).arg(count))
    {
        ip({"netns", "add", m_name});
        ok = ip({"-n", m_name, "link", "set", "lo", "up"});
        for (int i = 0; ok && i < (count - 1) / 2; ++i)
            ok = ip({"-n", m_name, "link", "add", QStringLiteral("va%1").arg(i), "type", "veth", "peer", "name",
                     QStringLiteral("vb%1").arg(i)});
        if (ok && (count - 1) % 2 == 1)
            ok = ip({"-n", m_name, "link", "add", "ifb0", "type", "ifb"});
    }
    ~BenchNamespace() { ip({"netns", "delete", m_name}); }

    // Runs `make` inside the namespace (a socket made there stays bound to it).
    template <typename F> bool inside(F make) const
    {
        const int home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const int there = ::open(QFile::encodeName(QStringLiteral("/run/netns/") + m_name).constData(),
                                 O_RDONLY | O_CLOEXEC);
        bool entered = home >= 0 && there >= 0 && ::setns(there, CLONE_NEWNET) == 0;
        if (entered) {
            make();
            entered = ::setns(home, CLONE_NEWNET) == 0;
        }
        if (home >= 0)
            ::close(home);
        if (there >= 0)
            ::close(there);
        return entered;
    }

    bool ok = false;

private:
    static bool ip(const QStringList& arguments)
    {
        QProcess p;
        p.start(QStringLiteral("ip"), arguments);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString m_name;
};

BenchNamespace& benchNamespace(int count)
{
    static std::map<int, std::unique_ptr<BenchNamespace>> made;
    auto& ns = made[count];
    if (!ns)
        ns = std::make_unique<BenchNamespace>(count);
    return *ns;
}

struct LinkCounters
{
    int index;
    uint64_t rx;
    uint64_t tx;
};

// The floor: one dump on a raw socket, every link's 64-bit byte counters,
// nothing else. RTM_GETLINK sends each link whole; RTM_GETSTATS only the
// counters asked for.
bool rawDump(int fd, uint16_t type, uint32_t seq, std::vector<char>& buffer, std::vector<LinkCounters>& out)
{
    struct
    {
        nlmsghdr h;
        union {
            ifinfomsg i;
            if_stats_msg s;
        };
    } request{};
    const bool stats = type == RTM_GETSTATS;
    request.h.nlmsg_len = NLMSG_LENGTH(stats ? sizeof(if_stats_msg) : sizeof(ifinfomsg));
    request.h.nlmsg_type = type;
    request.h.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.h.nlmsg_seq = seq;
    if (stats)
        request.s.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    if (::send(fd, &request, request.h.nlmsg_len, 0) < 0)
        return false;
    out.clear();
    for (;;) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0)
            return false;
        int left = static_cast<int>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            if (h->nlmsg_type == NLMSG_DONE)
                return true;
            if (h->nlmsg_type != (stats ? uint16_t{RTM_NEWSTATS} : uint16_t{RTM_NEWLINK}))
                return false;
            const size_t head = stats ? sizeof(if_stats_msg) : sizeof(ifinfomsg);
            LinkCounters c{stats ? static_cast<int>(static_cast<if_stats_msg*>(NLMSG_DATA(h))->ifindex)
                                 : static_cast<ifinfomsg*>(NLMSG_DATA(h))->ifi_index,
                           0, 0};
            const uint16_t wanted = stats ? uint16_t{IFLA_STATS_LINK_64} : uint16_t{IFLA_STATS64};
            int attrs = static_cast<int>(h->nlmsg_len - NLMSG_LENGTH(head));
            auto* first = reinterpret_cast<rtattr*>(static_cast<char*>(NLMSG_DATA(h)) + NLMSG_ALIGN(head));
            for (rtattr* a = first; RTA_OK(a, attrs); a = RTA_NEXT(a, attrs)) {
                if (a->rta_type == wanted && RTA_PAYLOAD(a) >= sizeof(rtnl_link_stats64)) {
                    rtnl_link_stats64 s;
                    std::memcpy(&s, RTA_DATA(a), sizeof s);
                    c.rx = s.rx_bytes;
                    c.tx = s.tx_bytes;
                }
            }
            out.push_back(c);
        }
    }
}

void rawDumps(benchmark::State& state, uint16_t type)
{
    BenchNamespace& ns = benchNamespace(static_cast<int>(state.range(0)));
    int fd = -1;
    if (!ns.ok || !ns.inside([&] { fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE); }) || fd < 0) {
        state.SkipWithError("no namespace of our own (needs root and iproute2)");
        return;
    }
    std::vector<char> buffer(32768);
    std::vector<LinkCounters> links;
    links.reserve(512);
    uint32_t seq = 0;
    for (auto _ : state) {
        if (!rawDump(fd, type, ++seq, buffer, links)) {
            state.SkipWithError("dump failed");
            break;
        }
        benchmark::DoNotOptimize(links.data());
    }
    ::close(fd);
    state.counters["links"] = static_cast<double>(links.size());
}

void BM_RawNetlinkDump(benchmark::State& state)
{
    rawDumps(state, RTM_GETLINK);
}
BENCHMARK(BM_RawNetlinkDump)->Arg(4)->Arg(64);

void BM_RawStatsDump(benchmark::State& state)
{
    rawDumps(state, RTM_GETSTATS);
}
BENCHMARK(BM_RawStatsDump)->Arg(4)->Arg(64);

// One adapter engine tick without widgets: the read, every entry fed, and the
// six live grid texts of every entry.
void BM_NicEngineTick(benchmark::State& state)
{
    BenchNamespace& ns = benchNamespace(static_cast<int>(state.range(0)));
    NetlinkInterfaceTable table;
    bool opened = false;
    if (!ns.ok || !ns.inside([&] { opened = table.open(); }) || !opened) {
        state.SkipWithError("no namespace of our own (needs root and iproute2)");
        return;
    }
    std::vector<IfRow> rows;
    if (!table.read(rows)) {
        state.SkipWithError("interface table unavailable");
        return;
    }
    SampleContext ctx{1000, true};
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> v;
    for (const IfRow& r : rows) {
        owned.push_back(std::make_unique<TNic>(&ctx));
        owned.back()->setIdentity(r, false);
        owned.back()->anzeigen_live = true;
        owned.back()->maxspeed = 125000;
        v.push_back(owned.back().get());
    }
    // The shipped German texts, as the program formats with them.
    QTemporaryDir home;
    qputenv("NETZPEGEL_HOME", QFile::encodeName(home.path()));
    QFile::copy(QStringLiteral(":/shipped/deutsch.lan"), QDir(home.path()).filePath(QStringLiteral("deutsch.lan")));
    TSprache sprache;
    sprache.Laden(QStringLiteral("deutsch.lan"));
    InterfaceSampler sampler;
    const int base = 1024;
    for (auto _ : state) {
        if (!sampler.sample(table, v)) {
            state.SkipWithError("link dump failed");
            break;
        }
        const std::vector<LiveGridRow> grid = liveGridRows(v, base, sprache);
        benchmark::DoNotOptimize(grid.data());
    }
    state.counters["links"] = static_cast<double>(v.size());
}
BENCHMARK(BM_NicEngineTick)->Arg(4)->Arg(64);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the shipped files are resources of the core library
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
