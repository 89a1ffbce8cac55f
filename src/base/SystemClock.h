#pragma once

#include "base/Clock.h"

// Local date and time of the system.
class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    QDate today() const override;

    // Shared instance for objects that were given no clock of their own.
    static const Clock& instance();
};
