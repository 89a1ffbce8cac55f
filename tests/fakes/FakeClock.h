#pragma once

#include "base/Clock.h"

#include <QMutex>

// A clock that stands still until the test moves it.
class FakeClock : public Clock
{
public:
    explicit FakeClock(const QDateTime& start = QDateTime(QDate(2026, 12, 8), QTime(12, 0)));

    QDateTime now() const override;
    QDate today() const override;

    void set(const QDateTime& when);
    void advanceSeconds(qint64 seconds);

private:
    mutable QMutex m_mutex;
    QDateTime m_now;
};
