#pragma once

#include "acquisition/InterfaceTable.h"
#include "acquisition/SysfsLinkInfo.h"

#include <QString>
#include <unordered_map>
#include <vector>

struct nlmsghdr;

// Interface table read from rtnetlink: one link dump per read() on a socket of
// its own, parsed in place. Name, address, type and speed of an interface are
// taken when it is first seen (type and speed from sysfs below `sysfsRoot`);
// after that a read is the dump and its counters.
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

private:
    // What stays of an interface between reads.
    struct Known
    {
        QByteArray rawName;
        QString name;
        QByteArray physAddr;
        unsigned arphrd = 0;
        uint32_t type = 0;
        uint64_t speed = 0;
        uint64_t seen = 0; // the read that last listed it
    };

    bool sendDumpRequest();
    bool receiveDump(std::vector<IfRow>& rows);
    void addLink(const nlmsghdr* message, std::vector<IfRow>& rows);
    void forgetUnseen();

    SysfsLinkInfo m_sysfs;
    int m_fd = -1;
    uint32_t m_seq = 0;
    uint64_t m_reads = 0;
    std::vector<char> m_buffer;
    std::vector<IfRow> m_scratch;
    std::unordered_map<uint32_t, Known> m_known;
};
