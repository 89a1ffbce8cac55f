#pragma once

#include "desktop/NotificationArea.h"

class SystemTrayNotificationArea : public NotificationArea
{
public:
    bool available() const override;
};
