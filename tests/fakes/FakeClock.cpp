#include "fakes/FakeClock.h"

#include <QMutexLocker>

FakeClock::FakeClock(const QDateTime& start)
    : m_now(start)
{
}

QDateTime FakeClock::now() const
{
    QMutexLocker lock(&m_mutex);
    return m_now;
}

QDate FakeClock::today() const { return now().date(); }

void FakeClock::set(const QDateTime& when)
{
    QMutexLocker lock(&m_mutex);
    m_now = when;
}

void FakeClock::advanceSeconds(qint64 seconds)
{
    QMutexLocker lock(&m_mutex);
    m_now = m_now.addSecs(seconds);
}
