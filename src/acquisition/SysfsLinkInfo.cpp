#include "acquisition/SysfsLinkInfo.h"

#include <QFile>

#include <linux/if_arp.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr long long kMaxMbits = static_cast<long long>(UINT64_MAX / 1000000u);
}

SysfsLinkInfo::SysfsLinkInfo(const QString& root)
    : m_root(QFile::encodeName(root).toStdString())
{
}

uint32_t SysfsLinkInfo::ifTypeOf(unsigned arphrd, bool device, bool wireless)
{
    switch (arphrd) {
    case ARPHRD_ETHER:
        if (!device)
            return 131;
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

uint32_t SysfsLinkInfo::ifType(unsigned arphrd, const QByteArray& name) const
{
    if (arphrd != ARPHRD_ETHER)
        return ifTypeOf(arphrd, false, false);
    const bool device = hasEntry(name, "device");
    return ifTypeOf(arphrd, device, device && hasEntry(name, "wireless"));
}

std::string SysfsLinkInfo::folder(const QByteArray& name) const
{
    // The kernel allows neither, but the name comes from outside this program.
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\0'))
        return {};
    return m_root + '/' + name.toStdString() + '/';
}

bool SysfsLinkInfo::hasEntry(const QByteArray& name, const char* entry) const
{
    const std::string dir = folder(name);
    struct stat st {};
    return !dir.empty() && ::lstat((dir + entry).c_str(), &st) == 0;
}

uint64_t SysfsLinkInfo::speed(const QByteArray& name) const
{
    const std::string dir = folder(name);
    if (dir.empty())
        return 0;
    const int fd = ::open((dir + "speed").c_str(), O_RDONLY | O_CLOEXEC);
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
