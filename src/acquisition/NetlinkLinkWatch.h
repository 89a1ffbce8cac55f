#pragma once

#include "acquisition/LinkWatch.h"

#include <memory>

class QSocketNotifier;

// The kernel's link announcements (rtnetlink's link group) on a socket of their own.
class NetlinkLinkWatch : public LinkWatch
{
public:
    NetlinkLinkWatch();
    ~NetlinkLinkWatch() override;
    NetlinkLinkWatch(const NetlinkLinkWatch&) = delete;
    NetlinkLinkWatch& operator=(const NetlinkLinkWatch&) = delete;

    bool start(std::function<void()> changed) override;
    void stop() override;

private:
    void drain();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_changed;
};
