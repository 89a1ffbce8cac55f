#pragma once

#include <QString>
#include <cstdint>

// The active dial-up connection, as the dial-up engine sees it each second.
struct DialupStatus
{
    enum class State { EnumerationFailed, NoConnection, Connected };
    State state = State::NoConnection;
    QString entryName;
    uint64_t bps = 0;
    uint64_t bytesReceived = 0;
    uint64_t bytesSent = 0;
};

class DialupSource
{
public:
    virtual ~DialupSource() = default;
    virtual DialupStatus query() = 0;
};
