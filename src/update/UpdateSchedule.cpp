#include "update/UpdateSchedule.h"

#include "storage/DayNumber.h"

QDate UpdateSchedule::lastCheckDate(double lastupdate)
{
    return lastupdate > 0 ? dateOfDayNumber(lastupdate) : QDate();
}

bool UpdateSchedule::due(int mode, double lastupdate, const QDateTime& now) const
{
    if (mode <= 0)
        return false;
    if (m_retryAt.isValid() && now < m_retryAt)
        return false;
    const QDate last = lastCheckDate(lastupdate);
    return !last.isValid() || last.addDays(kDaysBetweenChecks) <= now.date();
}

void UpdateSchedule::automaticCheckFailed(const QDateTime& now, bool logged)
{
    m_retryAt = now.addSecs(kRetrySeconds);
    if (logged)
        m_loggedOn = now.date();
}
