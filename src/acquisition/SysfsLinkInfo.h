#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

// What sysfs tells about a network interface (below /sys/class/net, or a test's
// folder): its line speed, and whether a device backs it and it is wireless.
// Read when an interface is first seen; none of it changes while it lives.
class SysfsLinkInfo
{
public:
    explicit SysfsLinkInfo(const QString& root = QStringLiteral("/sys/class/net"));

    // IANA interface type of an interface with link-layer (ARPHRD) type `arphrd`.
    uint32_t ifType(unsigned arphrd, const QByteArray& name) const;
    // Line speed in bits per second; 0 when unknown or not a plain number.
    uint64_t speed(const QByteArray& name) const;

    // Ethernet backed by a device is 6, or 71 when wireless; Ethernet-like links
    // without one (veth, bridge, bond, tap, macvlan, ifb) and tunnels are 131.
    static uint32_t ifTypeOf(unsigned arphrd, bool device, bool wireless);

private:
    bool hasEntry(const QByteArray& name, const char* entry) const;
    // The interface's folder, or empty for a name that cannot be one.
    std::string folder(const QByteArray& name) const;

    std::string m_root;
};
