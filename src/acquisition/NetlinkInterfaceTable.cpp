#include "acquisition/NetlinkInterfaceTable.h"

#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// The kernel fills a dump datagram up to the reader's buffer, at most 32 KiB.
constexpr size_t kBufferSize = 32768;

// 64-bit counters where the kernel gives them, else its 32-bit ones.
struct Counters
{
    uint64_t rx = 0;
    uint64_t tx = 0;
};

bool countersOf(const rtattr* a, Counters& c)
{
    const size_t size = RTA_PAYLOAD(a);
    if (a->rta_type == IFLA_STATS64 && size >= sizeof(rtnl_link_stats64)) {
        rtnl_link_stats64 s;
        std::memcpy(&s, RTA_DATA(a), sizeof s); // attributes are only 4-byte aligned
        c = {s.rx_bytes, s.tx_bytes};
        return true;
    }
    if (a->rta_type == IFLA_STATS && size >= sizeof(rtnl_link_stats)) {
        rtnl_link_stats s;
        std::memcpy(&s, RTA_DATA(a), sizeof s);
        c = {s.rx_bytes, s.tx_bytes};
        return true;
    }
    return false;
}

} // namespace

NetlinkInterfaceTable::NetlinkInterfaceTable(const QString& sysfsRoot)
    : m_sysfs(sysfsRoot)
{
}

NetlinkInterfaceTable::~NetlinkInterfaceTable()
{
    close();
}

bool NetlinkInterfaceTable::open()
{
    if (m_fd >= 0)
        return true;
    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (m_fd < 0)
        return false;
    sockaddr_nl self{};
    self.nl_family = AF_NETLINK;
    // A kernel that never answers must not hang the window.
    const timeval timeout{1, 0};
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0
        || ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
        close();
        return false;
    }
    m_buffer.resize(kBufferSize);
    return true;
}

void NetlinkInterfaceTable::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_known.clear();
}

bool NetlinkInterfaceTable::isOpen() const
{
    return m_fd >= 0;
}

bool NetlinkInterfaceTable::read(std::vector<IfRow>& rows)
{
    if (m_fd < 0)
        return false;
    ++m_reads;
    std::vector<IfRow>& table = m_scratch; // keeps its capacity from read to read
    table.clear();
    // Counters alone cost the kernel a fifth of a link dump. The link dump is
    // needed to describe new interfaces, and for a PPP link's up state.
    bool counted = false;
    if (m_statsDumps && !m_known.empty() && !m_pppSeen) {
        bool unknown = false;
        counted = dump(RTM_GETSTATS, [&](const nlmsghdr* h) { unknown = !addStats(h, table) || unknown; });
        if (!counted && m_refused)
            m_statsDumps = false; // a kernel without them
        counted = counted && !unknown;
    }
    if (!counted) {
        table.clear();
        m_pppSeen = false;
        if (!dump(RTM_GETLINK, [&](const nlmsghdr* h) { addLink(h, table); }))
            return false;
    }
    const auto byIndex = [](const IfRow& a, const IfRow& b) { return a.index < b.index; };
    if (!std::is_sorted(table.begin(), table.end(), byIndex))
        std::stable_sort(table.begin(), table.end(), byIndex);
    // A dump that ran while links changed may list one twice.
    table.erase(std::unique(table.begin(), table.end(),
                            [](const IfRow& a, const IfRow& b) { return a.index == b.index; }),
                table.end());
    if (m_known.size() > table.size())
        forgetUnseen();
    rows.swap(table);
    return true;
}

bool NetlinkInterfaceTable::dump(uint16_t type, const std::function<void(const nlmsghdr*)>& take)
{
    struct
    {
        nlmsghdr header;
        union {
            ifinfomsg link;
            if_stats_msg stats;
        };
    } request{};
    const bool stats = type == RTM_GETSTATS;
    request.header.nlmsg_len = NLMSG_LENGTH(stats ? sizeof(if_stats_msg) : sizeof(ifinfomsg));
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++m_seq;
    if (stats) {
        request.stats.family = AF_UNSPEC;
        request.stats.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    } else {
        request.link.ifi_family = AF_UNSPEC;
    }
    ssize_t sent;
    do
        sent = ::send(m_fd, &request, request.header.nlmsg_len, 0);
    while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(request.header.nlmsg_len))
        return false;

    m_refused = false;
    for (;;) {
        ssize_t n;
        do
            n = ::recv(m_fd, m_buffer.data(), m_buffer.size(), MSG_TRUNC);
        while (n < 0 && errno == EINTR);
        if (n <= 0)
            return false;
        if (static_cast<size_t>(n) > m_buffer.size()) {
            m_buffer.resize(static_cast<size_t>(n)); // this dump lost a part; the next one fits
            return false;
        }
        int left = static_cast<int>(n);
        for (auto* h = reinterpret_cast<const nlmsghdr*>(m_buffer.data()); NLMSG_OK(h, left);
             h = NLMSG_NEXT(h, left)) {
            // What is left of an earlier dump that failed half way.
            if (h->nlmsg_seq != m_seq)
                continue;
            if (h->nlmsg_type == NLMSG_DONE)
                return true;
            if (h->nlmsg_type == NLMSG_ERROR) {
                m_refused = true;
                return false;
            }
            take(h);
        }
    }
}

bool NetlinkInterfaceTable::addStats(const nlmsghdr* message, std::vector<IfRow>& rows)
{
    if (message->nlmsg_type != RTM_NEWSTATS || message->nlmsg_len < NLMSG_LENGTH(sizeof(if_stats_msg)))
        return true;
    const auto* stats = static_cast<const if_stats_msg*>(NLMSG_DATA(message));
    const auto known = m_known.find(stats->ifindex);
    if (known == m_known.end())
        return false; // a new interface: the link dump describes it
    Counters counters;
    int left = static_cast<int>(message->nlmsg_len - NLMSG_LENGTH(sizeof(if_stats_msg)));
    auto* a = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(stats) + NLMSG_ALIGN(sizeof(if_stats_msg)));
    for (; RTA_OK(a, left); a = RTA_NEXT(a, left)) {
        if (a->rta_type == IFLA_STATS_LINK_64 && RTA_PAYLOAD(a) >= sizeof(rtnl_link_stats64)) {
            rtnl_link_stats64 s;
            std::memcpy(&s, RTA_DATA(a), sizeof s);
            counters = {s.rx_bytes, s.tx_bytes};
        }
    }
    known->second.seen = m_reads;
    addRow(rows, stats->ifindex, known->second, counters.rx, counters.tx);
    return true;
}

void NetlinkInterfaceTable::addLink(const nlmsghdr* message, std::vector<IfRow>& rows)
{
    if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return;
    const auto* link = static_cast<const ifinfomsg*>(NLMSG_DATA(message));
    const char* name = "";
    size_t nameLength = 0;
    const char* addr = nullptr;
    size_t addrLength = 0;
    Counters counters;
    bool counted = false;
    int left = static_cast<int>(message->nlmsg_len - NLMSG_LENGTH(sizeof(ifinfomsg)));
    for (auto* a = IFLA_RTA(link); RTA_OK(a, left); a = RTA_NEXT(a, left)) {
        switch (a->rta_type) {
        case IFLA_IFNAME:
            name = static_cast<const char*>(RTA_DATA(a));
            nameLength = strnlen(name, RTA_PAYLOAD(a));
            break;
        case IFLA_ADDRESS:
            addr = static_cast<const char*>(RTA_DATA(a));
            addrLength = RTA_PAYLOAD(a);
            break;
        case IFLA_STATS64:
            counted = countersOf(a, counters) || counted;
            break;
        case IFLA_STATS:
            if (!counted)
                countersOf(a, counters);
            break;
        default:
            break;
        }
    }

    const auto index = static_cast<uint32_t>(link->ifi_index);
    Known& known = m_known[index];
    const QByteArrayView rawName(name, static_cast<qsizetype>(nameLength));
    if (known.seen == 0 || known.rawName != rawName || known.arphrd != link->ifi_type) {
        // First seen (or another interface under a reused index): what does not change.
        known.rawName = rawName.toByteArray();
        known.name = QString::fromLocal8Bit(known.rawName);
        known.arphrd = link->ifi_type;
        known.type = m_sysfs.ifType(known.arphrd, known.rawName);
        known.speed = m_sysfs.speed(known.rawName);
    }
    const QByteArrayView address(addr, static_cast<qsizetype>(addrLength));
    if (known.physAddr != address)
        known.physAddr = address.toByteArray();
    known.up = (link->ifi_flags & IFF_UP) != 0;
    known.seen = m_reads;
    m_pppSeen = m_pppSeen || known.arphrd == ARPHRD_PPP;
    addRow(rows, index, known, counters.rx, counters.tx);
}

void NetlinkInterfaceTable::addRow(std::vector<IfRow>& rows, uint32_t index, const Known& known, uint64_t rx,
                                   uint64_t tx)
{
    IfRow& row = rows.emplace_back();
    row.index = index;
    row.name = known.name;
    row.physAddr = known.physAddr;
    row.type = known.type;
    row.speed = known.speed;
    row.inOctets = rx;
    row.outOctets = tx;
    row.up = known.up;
}

void NetlinkInterfaceTable::forgetUnseen()
{
    // Gone interfaces: an index that comes back is described afresh.
    for (auto it = m_known.begin(); it != m_known.end();)
        it = it->second.seen == m_reads ? std::next(it) : m_known.erase(it);
}
