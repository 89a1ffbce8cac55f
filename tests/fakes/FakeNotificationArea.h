#pragma once

#include "desktop/NotificationArea.h"

// A notification area that is there or not, and announces itself or not, as the test says.
class FakeNotificationArea : public NotificationArea
{
public:
    bool available() const override { return present; }
    bool announce(std::function<void()> f) override
    {
        arrived = std::move(f);
        return announces && arrived;
    }
    bool present = true;
    bool announces = false; // as an X11 desktop does
    std::function<void()> arrived;
};
