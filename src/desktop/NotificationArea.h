#pragma once

// Whether the desktop has a notification area for the program's icon. Without
// one, no window may be hidden out of reach.
class NotificationArea
{
public:
    virtual ~NotificationArea() = default;
    virtual bool available() const = 0;
};
