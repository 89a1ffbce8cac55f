#pragma once

#include <functional>

// Tells when the system's set of network links changes: one appears, goes, or goes up or
// down. With nothing to sample, a monitor waits for that instead of asking every second.
class LinkWatch
{
public:
    virtual ~LinkWatch() = default;

    // Calls `changed` from the event loop at every change until stop(); false (nothing
    // called) when the system cannot tell.
    virtual bool start(std::function<void()> changed) = 0;
    virtual void stop() = 0;
};
