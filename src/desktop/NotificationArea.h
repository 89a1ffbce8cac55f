#pragma once

#include <functional>

// Whether the desktop has a notification area for the program's icon. Without
// one, no window may be hidden out of reach.
class NotificationArea
{
public:
    virtual ~NotificationArea() = default;
    virtual bool available() const = 0;
    // Calls `arrived` whenever the desktop tells of a new area, and returns whether it can; an
    // empty function ends that. Where it cannot, only asking again finds a late area.
    virtual bool announce(std::function<void()> arrived)
    {
        (void)arrived;
        return false;
    }
};
