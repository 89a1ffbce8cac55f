#include "base/SystemClock.h"

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

QDate SystemClock::today() const { return QDate::currentDate(); }

const Clock& SystemClock::instance()
{
    static const SystemClock clock;
    return clock;
}
