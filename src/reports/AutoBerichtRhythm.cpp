#include "reports/AutoBerichtRhythm.h"

namespace AutoBerichtRhythm {

Tick tick(int interval, const QDate& today, const QString& dayOfAutoBericht)
{
    Tick t;
    t.interval = interval == kPauseMs ? kHourMs : interval;
    if (QString::number(today.day()) == dayOfAutoBericht) {
        t.startReport = true;
        t.interval = kPauseMs;
    }
    return t;
}

} // namespace AutoBerichtRhythm
