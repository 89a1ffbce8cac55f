#include "acquisition/SharedLinkDump.h"

#include <chrono>

SharedLinkDump::SharedLinkDump(InterfaceTable& leader, InterfaceTable& follower, std::function<int64_t()> nowMs)
    : m_now(nowMs ? std::move(nowMs)
                  : [] {
                        return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                        std::chrono::steady_clock::now().time_since_epoch())
                                                        .count());
                    })
    , m_leading(*this, leader)
    , m_following(*this, follower)
{
}

SharedLinkDump::Leading::Leading(SharedLinkDump& dump, InterfaceTable& table)
    : m_dump(dump)
    , m_table(table)
{
}

void SharedLinkDump::Leading::close()
{
    m_dump.m_handedOn = true;
    m_table.close();
}

bool SharedLinkDump::Leading::read(std::vector<IfRow>& rows)
{
    m_dump.m_handedOn = true; // a failed read leaves nothing to hand on
    if (!m_table.read(rows))
        return false;
    m_dump.m_rows = rows;
    m_dump.m_readAt = m_dump.m_now();
    m_dump.m_handedOn = false;
    return true;
}

SharedLinkDump::Following::Following(SharedLinkDump& dump, InterfaceTable& table)
    : m_dump(dump)
    , m_table(table)
{
}

bool SharedLinkDump::Following::read(std::vector<IfRow>& rows)
{
    if (!m_dump.m_handedOn) {
        m_dump.m_handedOn = true;
        const int64_t age = m_dump.m_now() - m_dump.m_readAt;
        if (age >= 0 && age < kMomentMs) {
            rows.swap(m_dump.m_rows);
            return true;
        }
    }
    return m_table.read(rows);
}
