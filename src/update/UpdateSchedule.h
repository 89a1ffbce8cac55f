#pragma once

#include <QDate>
#include <QDateTime>

// When the automatic update check runs: in an automatic mode, once 30 days
// have passed since the last successful check. A failed automatic check is
// tried again after an hour, not at every minute's tick, and logged once a day.
class UpdateSchedule
{
public:
    static constexpr int kDaysBetweenChecks = 30;
    static constexpr int kRetrySeconds = 3600;

    bool due(int mode, double lastupdate, const QDateTime& now) const;
    // Whether a failure of the automatic check started now is to be logged.
    bool logsFailure(const QDate& today) const { return m_loggedOn != today; }
    void automaticCheckFailed(const QDateTime& now, bool logged);

    // "Lastupdate" (a day count) as a date; invalid for 0 and nonsense.
    static QDate lastCheckDate(double lastupdate);

private:
    QDateTime m_retryAt;
    QDate m_loggedOn;
};
