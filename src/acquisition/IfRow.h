#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// One row of the interface table, as the sampling engine and start-up see it.
struct IfRow
{
    uint32_t index = 0;      // interface index
    QString name;            // interface name
    QByteArray physAddr;     // link-layer address bytes
    uint32_t type = 0;       // IANA interface type (6 Ethernet, 24 loopback, 71 wireless, ...)
    uint64_t speed = 0;      // bits per second, 0 when unknown
    uint64_t inOctets = 0;   // 64-bit kernel counters
    uint64_t outOctets = 0;
    bool up = false;         // administratively up
};
