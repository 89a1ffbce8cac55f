#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP end the monitor like closing its window, so the
// day's totals are booked; the signal handler only writes to a pipe.
class UnixSignals : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

    // A signal came while nobody listened yet (during start-up).
    bool requested() const { return m_requested; }

signals:
    void terminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
    bool m_requested = false;
};
