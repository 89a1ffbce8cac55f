#include "storage/TableMaintenanceThread.h"

#include "storage/Database.h"

#include <QCoreApplication>
#include <QThread>

TableMaintenanceThread::TableMaintenanceThread(QObject* parent)
    : QObject(parent)
{
}

TableMaintenanceThread::~TableMaintenanceThread() { stop(); }

bool TableMaintenanceThread::start(const QString& databasePath, const TableRequest& request)
{
    if (m_thread)
        return false;
    m_stop = false;
    const quint64 run = ++m_run;
    m_thread.reset(QThread::create([this, run, databasePath, request] {
        int reported = -1;
        const MaintenanceProgress report = [this, &reported](qint64 done, qint64 total) {
            // Whole percents only: a long import must not flood the event queue.
            const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
            if (percent != reported) {
                reported = percent;
                QMetaObject::invokeMethod(this, [this, done, total] { emit this->progress(done, total); },
                                          Qt::QueuedConnection);
            }
            return !m_stop.load();
        };
        MaintenanceResult result;
        try {
            Database db(databasePath);
            result = runTableRequest(db, request, report);
        } catch (const std::exception& e) {
            result.detail = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(this, [this, run, result] { threadDone(run, result); }, Qt::QueuedConnection);
    }));
    m_thread->setObjectName(QStringLiteral("TableMaintenance"));
    m_thread->start(QThread::LowPriority);
    return true;
}

void TableMaintenanceThread::threadDone(quint64 run, const MaintenanceResult& result)
{
    if (run != m_run || !m_thread)
        return; // stopped meanwhile
    m_thread->wait();
    m_thread.reset();
    emit finished(result);
}

void TableMaintenanceThread::stop()
{
    if (!m_thread)
        return;
    m_stop = true;
    m_thread->wait();
    m_thread.reset();
    ++m_run;
    // Progress and result of the stopped run must not reach anyone.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}
