#pragma once

#include "storage/TableMaintenance.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

// Runs one table operation at a time on a thread of its own, with a database
// connection of its own, so the timers of the user-interface thread go on
// sampling and booking meanwhile. Progress and the result arrive as signals on
// the thread this object lives in (queued).
class TableMaintenanceThread : public QObject
{
    Q_OBJECT
public:
    explicit TableMaintenanceThread(QObject* parent = nullptr);
    // Stops a running operation and waits for its thread.
    ~TableMaintenanceThread() override;

    // Starts `request` on the database file `databasePath`; false (nothing
    // started) while another operation runs.
    bool start(const QString& databasePath, const TableRequest& request);
    bool isRunning() const { return m_thread != nullptr; }
    // Asks a running operation to stop, which then changes nothing (unless it
    // was already committing), and waits for its thread. No signal follows.
    void stop();
    // Whether a stop was asked for since the last start; safe from any thread.
    bool stopping() const { return m_stop; }

signals:
    void progress(qint64 done, qint64 total);
    void finished(const MaintenanceResult& result);

private:
    void threadDone(quint64 run, const MaintenanceResult& result);

    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_stop{false};
    quint64 m_run = 0; // the operation whose result is awaited
};
