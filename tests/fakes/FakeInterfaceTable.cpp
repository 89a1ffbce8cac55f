#include "fakes/FakeInterfaceTable.h"

#include <stdexcept>

bool FakeInterfaceTable::open()
{
    if (m_openFails)
        return false;
    m_open = true;
    return true;
}

void FakeInterfaceTable::close()
{
    m_open = false;
}

bool FakeInterfaceTable::isOpen() const
{
    return m_open;
}

bool FakeInterfaceTable::read(std::vector<IfRow>& rows)
{
    ++m_readCount;
    if (m_readThrows)
        throw std::runtime_error("interface table: out of buffer space");
    if (!m_open || m_readFails)
        return false;
    rows = m_rows;
    return true;
}

void FakeInterfaceTable::setRows(std::vector<IfRow> rows)
{
    m_rows = std::move(rows);
}

bool FakeInterfaceTable::addOctets(uint32_t ifIndex, uint64_t in, uint64_t out)
{
    for (IfRow& r : m_rows) {
        if (r.index == ifIndex) {
            r.inOctets += in;
            r.outOctets += out;
            return true;
        }
    }
    return false;
}

IfRow FakeInterfaceTable::row(uint32_t ifIndex, const QString& name, uint64_t in, uint64_t out,
                              uint32_t type)
{
    IfRow r;
    r.index = ifIndex;
    r.name = name;
    r.physAddr = QByteArray::fromHex("0200000000") + char(ifIndex & 0xff);
    r.type = type;
    r.inOctets = in;
    r.outOctets = out;
    return r;
}
