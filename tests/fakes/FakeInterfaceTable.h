#pragma once

#include "acquisition/InterfaceTable.h"

// Interface table served from rows the test sets. Like the real source, read()
// fails while the table is not open.
class FakeInterfaceTable : public InterfaceTable
{
public:
    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool read(std::vector<IfRow>& rows) override;

    // Rows as read() returns them, in the order given (the real source sorts by index).
    void setRows(std::vector<IfRow> rows);
    std::vector<IfRow>& rows() { return m_rows; }
    // Adds traffic to the row with interface index `ifIndex`; false when there is none.
    bool addOctets(uint32_t ifIndex, uint64_t in, uint64_t out);

    void setOpenFails(bool fails) { m_openFails = fails; }
    void setReadFails(bool fails) { m_readFails = fails; }
    // read() throws, as a failure inside the platform call would.
    void setReadThrows(bool throws) { m_readThrows = throws; }
    // Calls of read(), failed ones included.
    int readCount() const { return m_readCount; }

    static IfRow row(uint32_t ifIndex, const QString& name, uint64_t in = 0, uint64_t out = 0,
                     uint32_t type = 6);

private:
    std::vector<IfRow> m_rows;
    bool m_open = false;
    bool m_openFails = false;
    bool m_readFails = false;
    bool m_readThrows = false;
    int m_readCount = 0;
};
