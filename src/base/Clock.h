#pragma once

#include <QDate>
#include <QDateTime>

// Today and now, as the program sees them; tests move them at will.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    virtual QDate today() const = 0;
};
