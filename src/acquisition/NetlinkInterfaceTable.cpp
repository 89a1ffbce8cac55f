#include "acquisition/NetlinkInterfaceTable.h"

#include <net/if.h>

#include <QFile>

#include <netlink/addr.h>
#include <netlink/cache.h>
#include <netlink/netlink.h>
#include <netlink/route/link.h>

#include <linux/if_arp.h>

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr long long kMaxMbits = static_cast<long long>(UINT64_MAX / 1000000u);
}

NetlinkInterfaceTable::NetlinkInterfaceTable(const QString& sysfsRoot)
    : m_sysfsRoot(QFile::encodeName(sysfsRoot).toStdString())
{
}

NetlinkInterfaceTable::~NetlinkInterfaceTable()
{
    close();
}

bool NetlinkInterfaceTable::open()
{
    if (m_sock)
        return true;
    m_sock = nl_socket_alloc();
    if (!m_sock)
        return false;
    if (nl_connect(m_sock, NETLINK_ROUTE) < 0) {
        nl_socket_free(m_sock);
        m_sock = nullptr;
        return false;
    }
    return true;
}

void NetlinkInterfaceTable::close()
{
    if (m_cache) {
        nl_cache_free(m_cache);
        m_cache = nullptr;
    }
    if (m_sock) {
        nl_socket_free(m_sock);
        m_sock = nullptr;
    }
}

bool NetlinkInterfaceTable::isOpen() const
{
    return m_sock != nullptr;
}

bool NetlinkInterfaceTable::read(std::vector<IfRow>& rows)
{
    if (!m_sock)
        return false;
    // The cache is kept between reads so that each read is only the dump itself.
    if (m_cache) {
        if (nl_cache_refill(m_sock, m_cache) < 0)
            return false;
    } else if (rtnl_link_alloc_cache(m_sock, AF_UNSPEC, &m_cache) < 0) {
        m_cache = nullptr;
        return false;
    }

    std::vector<IfRow> table;
    table.reserve(static_cast<size_t>(std::max(0, nl_cache_nitems(m_cache))));
    for (nl_object* obj = nl_cache_get_first(m_cache); obj; obj = nl_cache_get_next(obj)) {
        auto* link = reinterpret_cast<rtnl_link*>(obj);
        const char* name = rtnl_link_get_name(link);
        if (!name)
            name = "";
        IfRow row;
        row.index = static_cast<uint32_t>(rtnl_link_get_ifindex(link));
        row.name = QString::fromLocal8Bit(name);
        if (nl_addr* addr = rtnl_link_get_addr(link)) {
            row.physAddr = QByteArray(static_cast<const char*>(nl_addr_get_binary_addr(addr)),
                                      static_cast<int>(nl_addr_get_len(addr)));
        }
        const unsigned arphrd = rtnl_link_get_arptype(link);
        row.type = ifTypeOf(arphrd, arphrd == ARPHRD_ETHER && isWireless(name));
        row.speed = speedOf(name);
        row.inOctets = rtnl_link_get_stat(link, RTNL_LINK_RX_BYTES);
        row.outOctets = rtnl_link_get_stat(link, RTNL_LINK_TX_BYTES);
        row.up = (rtnl_link_get_flags(link) & IFF_UP) != 0;
        table.push_back(std::move(row));
    }
    std::sort(table.begin(), table.end(),
              [](const IfRow& a, const IfRow& b) { return a.index < b.index; });
    rows.swap(table);
    return true;
}

uint32_t NetlinkInterfaceTable::ifTypeOf(unsigned arphrd, bool wireless)
{
    switch (arphrd) {
    case ARPHRD_ETHER:
        return wireless ? 71 : 6;
    case ARPHRD_LOOPBACK:
        return 24;
    case ARPHRD_PPP:
        return 23;
    case ARPHRD_IEEE1394:
        return 144;
    default:
        return 131;
    }
}

bool NetlinkInterfaceTable::isWireless(const char* name) const
{
    const std::string path = m_sysfsRoot + '/' + name + "/wireless";
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint64_t NetlinkInterfaceTable::speedOf(const char* name) const
{
    const std::string path = m_sysfsRoot + '/' + name + "/speed";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buf[32];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    // Links without a speed refuse the read (EINVAL) or give -1.
    if (n <= 0)
        return 0;
    buf[n] = '\0';
    char* end = nullptr;
    errno = 0;
    const long long mbits = std::strtoll(buf, &end, 10);
    if (end == buf || errno != 0 || mbits <= 0 || mbits > kMaxMbits)
        return 0;
    while (*end == '\n' || *end == ' ')
        ++end;
    if (*end != '\0')
        return 0;
    return static_cast<uint64_t>(mbits) * 1000000u;
}
