#pragma once

#include "acquisition/InterfaceTable.h"
#include "acquisition/SysfsLinkInfo.h"

#include <QString>
#include <functional>
#include <unordered_map>
#include <vector>

struct nlmsghdr;

// Interface table read from rtnetlink on a socket of its own, one dump per
// read(), parsed in place. Name, address, type and speed of an interface are
// taken from a link dump when it is first seen (type and speed from sysfs
// below `sysfsRoot`); after that a read is a dump of the 64-bit counters
// alone, unless a link is new or a PPP link is there, whose up state
// (`IfRow::up`) only a link dump tells; for other links it is as last seen.
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
        bool up = false;
        uint64_t seen = 0; // the read that last listed it
    };

    // Sends a dump request of `type` and hands every answer to `take`.
    bool dump(uint16_t type, const std::function<void(const nlmsghdr*)>& take);
    void addLink(const nlmsghdr* message, std::vector<IfRow>& rows);
    // False for an interface not described yet.
    bool addStats(const nlmsghdr* message, std::vector<IfRow>& rows);
    static void addRow(std::vector<IfRow>& rows, uint32_t index, const Known& known, uint64_t rx, uint64_t tx);
    void forgetUnseen();

    SysfsLinkInfo m_sysfs;
    int m_fd = -1;
    uint32_t m_seq = 0;
    uint64_t m_reads = 0;
    bool m_statsDumps = true; // the kernel answers counter dumps
    bool m_refused = false;   // the last dump was answered with an error
    bool m_pppSeen = false;
    std::vector<char> m_buffer;
    std::vector<IfRow> m_scratch;
    std::unordered_map<uint32_t, Known> m_known;
};
