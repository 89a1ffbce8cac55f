#pragma once

#include "acquisition/InterfaceTable.h"

#include <cstdint>
#include <functional>

// At the usual interval the adapter engine and the dial-up engine tick in the same wake-up, each
// with a link dump of its own. Here the adapter engine's read (the leading table) is handed to the
// dial-up engine's next read (the following table) when that comes within a moment, and only
// once; every other read goes to the kernel. A read is never answered with rows older than a
// moment, nor with rows the reader saw already.
class SharedLinkDump
{
public:
    static constexpr int64_t kMomentMs = 50;

    // `nowMs` is a monotonic clock in milliseconds; the steady clock when left empty.
    SharedLinkDump(InterfaceTable& leader, InterfaceTable& follower, std::function<int64_t()> nowMs = {});

    InterfaceTable& leading() { return m_leading; }
    InterfaceTable& following() { return m_following; }

private:
    class Leading : public InterfaceTable
    {
    public:
        Leading(SharedLinkDump& dump, InterfaceTable& table);
        bool open() override { return m_table.open(); }
        void close() override;
        bool isOpen() const override { return m_table.isOpen(); }
        bool read(std::vector<IfRow>& rows) override;

    private:
        SharedLinkDump& m_dump;
        InterfaceTable& m_table;
    };

    class Following : public InterfaceTable
    {
    public:
        Following(SharedLinkDump& dump, InterfaceTable& table);
        bool open() override { return m_table.open(); }
        void close() override { m_table.close(); }
        bool isOpen() const override { return m_table.isOpen(); }
        bool read(std::vector<IfRow>& rows) override;

    private:
        SharedLinkDump& m_dump;
        InterfaceTable& m_table;
    };

    std::function<int64_t()> m_now;
    Leading m_leading;
    Following m_following;
    std::vector<IfRow> m_rows;
    int64_t m_readAt = 0;
    bool m_handedOn = true; // nothing to hand on yet
};
