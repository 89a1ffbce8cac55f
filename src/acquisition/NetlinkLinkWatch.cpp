#include "acquisition/NetlinkLinkWatch.h"

#include <QSocketNotifier>

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

NetlinkLinkWatch::NetlinkLinkWatch() = default;

NetlinkLinkWatch::~NetlinkLinkWatch()
{
    stop();
}

bool NetlinkLinkWatch::start(std::function<void()> changed)
{
    stop();
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return false;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_changed = std::move(changed);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { drain(); });
    return true;
}

void NetlinkLinkWatch::stop()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_changed = nullptr;
}

void NetlinkLinkWatch::drain()
{
    // What the announcements say does not matter, only that there were some: the caller reads
    // the table anew. An overrun (ENOBUFS) is a change all the same.
    char buffer[8192];
    while (::recv(m_fd, buffer, sizeof buffer, 0) > 0 || errno == ENOBUFS) {
    }
    // The callback may stop or restart the watch.
    const std::function<void()> changed = m_changed;
    if (changed)
        changed();
}
