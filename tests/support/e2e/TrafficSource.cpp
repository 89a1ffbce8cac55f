#include "support/e2e/TrafficSource.h"

#include <arpa/inet.h>
#include <csignal>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

bool pushLoopbackTraffic(qint64 bytes)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in self = {};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof self;
    bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&self), sizeof self) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&self), &length) == 0;
    std::vector<char> chunk(1000, 'n');
    std::vector<char> back(chunk.size());
    // One datagram out and back in at a time: the receive buffer never overflows.
    for (qint64 left = bytes; ok && left > 0;) {
        const size_t size = static_cast<size_t>(std::min<qint64>(left, static_cast<qint64>(chunk.size())));
        ok = ::sendto(fd, chunk.data(), size, 0, reinterpret_cast<sockaddr*>(&self), sizeof self)
                == static_cast<ssize_t>(size)
            && ::recv(fd, back.data(), back.size(), 0) == static_cast<ssize_t>(size);
        left -= static_cast<qint64>(size);
    }
    ::close(fd);
    return ok;
}

bool pushFrames(const char* interface, qint64 bytes)
{
    const unsigned index = ::if_nametoindex(interface);
    const int fd = ::socket(AF_PACKET, SOCK_RAW, 0);
    if (index == 0 || fd < 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    sockaddr_ll to = {};
    to.sll_family = AF_PACKET;
    to.sll_ifindex = static_cast<int>(index);
    to.sll_halen = ETH_ALEN;
    // Broadcast to an experimental EtherType: the far end counts it and drops it.
    std::vector<unsigned char> frame(ETH_HLEN + 1000, 'f');
    std::fill_n(frame.begin(), ETH_ALEN, 0xff);
    frame[12] = 0x88;
    frame[13] = 0xb5;
    bool ok = true;
    for (qint64 left = bytes; ok && left > 0;) {
        const size_t payload = static_cast<size_t>(std::min<qint64>(left, 1000));
        const size_t size = ETH_HLEN + std::max<size_t>(payload, ETH_ZLEN - ETH_HLEN);
        ok = ::sendto(fd, frame.data(), size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to)
            == static_cast<ssize_t>(size);
        left -= static_cast<qint64>(payload);
    }
    ::close(fd);
    return ok;
}

bool flowLoopbackTraffic()
{
    using namespace std::chrono_literals;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the test that started it
    while (pushLoopbackTraffic(3000))
        std::this_thread::sleep_for(5ms);
    return false;
}
