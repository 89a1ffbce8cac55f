#pragma once

#include "desktop/NotificationArea.h"

// A notification area that is there or not, as the test says.
class FakeNotificationArea : public NotificationArea
{
public:
    bool available() const override { return present; }
    bool present = true;
};
