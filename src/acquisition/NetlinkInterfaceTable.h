#pragma once

#include "acquisition/InterfaceTable.h"

#include <QString>
#include <string>

struct nl_sock;
struct nl_cache;

// Interface table read from rtnetlink: one link dump per read(), the speed and
// the wireless marker from sysfs below `sysfsRoot`.
class NetlinkInterfaceTable : public InterfaceTable
{
public:
    explicit NetlinkInterfaceTable(const QString& sysfsRoot = QStringLiteral("/sys/class/net"));
    ~NetlinkInterfaceTable() override;
    NetlinkInterfaceTable(const NetlinkInterfaceTable&) = delete;
    NetlinkInterfaceTable& operator=(const NetlinkInterfaceTable&) = delete;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool read(std::vector<IfRow>& rows) override;

    // IANA interface type of an ARPHRD link type.
    static uint32_t ifTypeOf(unsigned arphrd, bool wireless);

private:
    bool isWireless(const char* name) const;
    uint64_t speedOf(const char* name) const;

    std::string m_sysfsRoot;
    nl_sock* m_sock = nullptr;
    nl_cache* m_cache = nullptr;
};
