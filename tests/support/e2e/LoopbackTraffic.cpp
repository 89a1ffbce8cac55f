#include "support/e2e/LoopbackTraffic.h"

#include <arpa/inet.h>
#include <csignal>
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

bool flowLoopbackTraffic()
{
    using namespace std::chrono_literals;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the test that started it
    while (pushLoopbackTraffic(3000))
        std::this_thread::sleep_for(5ms);
    return false;
}
