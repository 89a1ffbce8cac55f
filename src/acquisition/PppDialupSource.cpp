#include "acquisition/PppDialupSource.h"

#include "acquisition/InterfaceTable.h"

#include <vector>

namespace {
constexpr uint32_t kIfTypePpp = 23;
}

PppDialupSource::PppDialupSource(InterfaceTable& table)
    : m_table(table)
{
}

DialupStatus PppDialupSource::query()
{
    DialupStatus status;
    if ((!m_table.isOpen() && !m_table.open()) || !m_table.read(m_rows)) {
        status.state = DialupStatus::State::EnumerationFailed;
        return status;
    }
    for (const IfRow& row : m_rows) {
        if (row.type != kIfTypePpp || !row.up)
            continue;
        status.state = DialupStatus::State::Connected;
        status.entryName = row.name;
        status.bps = row.speed;
        status.bytesReceived = row.inOctets;
        status.bytesSent = row.outOctets;
        break;
    }
    return status;
}
