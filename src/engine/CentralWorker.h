#pragma once

#include "engine/CentralUpload.h"
#include "storage/PgConnection.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <optional>

// Sends to the central database on a thread of its own, with its own connections to the
// central and the local database, so that counting never waits for the network. Takes the
// latest request handed over; what could not be sent is tried again after a back-off that
// doubles up to a bound, and a later request replaces it. Results arrive as queued signals.
class CentralWorker : public QThread
{
    Q_OBJECT
public:
    struct Options
    {
        QString connectionString;
        QString databasePath;
        int firstRetryMs = 60000;
        int maxRetryMs = 300000;
        PgConnection::Options connection;
    };

    explicit CentralWorker(Options options, QObject* parent = nullptr);
    // Stops and waits for the thread.
    ~CentralWorker() override;

    // The next thing to send, in place of one not taken yet (today's row stays asked for).
    // Only takes a lock the thread never holds across the network.
    void submit(const UploadRequest& request);
    // Ends a send under way at once (nothing half done: each batch is one statement) and
    // waits for the thread.
    void stop();

signals:
    void sent(qint64 rowsSent, qint64 rowsChanged, const QStringList& skipped);
    // `kind` is a PgError::Kind, or -1 when the local database could not be read.
    void failed(int kind, const QString& detail);

protected:
    void run() override;

private:
    bool takeNext(UploadRequest& request, const QDeadlineTimer& retryAt);
    void putBack(const UploadRequest& request);

    Options m_options;
    QMutex m_mutex;
    QWaitCondition m_wake;
    std::optional<UploadRequest> m_next;
    bool m_stop = false;
    std::atomic<bool> m_abort{false};
};
