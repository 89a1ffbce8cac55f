#include "engine/CentralWorker.h"

#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/PgError.h"

CentralWorker::CentralWorker(Options options, QObject* parent)
    : QThread(parent)
    , m_options(std::move(options))
{
}

CentralWorker::~CentralWorker() { stop(); }

void CentralWorker::submit(const UploadRequest& request)
{
    const QMutexLocker lock(&m_mutex);
    const bool today = request.includeToday || (m_next && m_next->includeToday);
    m_next = request;
    m_next->includeToday = today;
    m_wake.wakeOne();
}

void CentralWorker::putBack(const UploadRequest& request)
{
    const QMutexLocker lock(&m_mutex);
    if (m_next)
        m_next->includeToday = m_next->includeToday || request.includeToday;
    else
        m_next = request;
}

void CentralWorker::stop()
{
    {
        const QMutexLocker lock(&m_mutex);
        m_stop = true;
    }
    m_abort = true;
    m_wake.wakeAll();
    wait();
}

bool CentralWorker::takeNext(UploadRequest& request, const QDeadlineTimer& retryAt)
{
    QMutexLocker lock(&m_mutex);
    while (!m_stop && (!m_next || !retryAt.hasExpired())) {
        if (m_next)
            m_wake.wait(&m_mutex, retryAt);
        else
            m_wake.wait(&m_mutex);
    }
    if (m_stop)
        return false;
    request = *m_next;
    m_next.reset();
    return true;
}

void CentralWorker::run()
{
    Database::Options localOptions;
    localOptions.layDownShippedIfMissing = false;
    Database local(m_options.databasePath, localOptions);
    PgConnection central(m_options.connectionString, m_options.connection);
    const auto abort = [this] { return m_abort.load(); };
    local.setAbortCheck(abort);
    central.setAbortCheck(abort);

    int delay = m_options.firstRetryMs;
    QDeadlineTimer retryAt(0);
    UploadRequest request;
    while (takeNext(request, retryAt)) {
        int failedKind = 0;
        QString detail;
        try {
            const UploadResult result = CentralUpload(local, central).run(request);
            local.close(); // no snapshot of the file kept open between sends
            delay = m_options.firstRetryMs;
            retryAt = QDeadlineTimer(0);
            emit sent(result.rowsSent, result.rowsChanged, result.skipped);
            continue;
        } catch (const PgError& e) {
            if (e.kind() == PgError::Kind::Aborted)
                return;
            central.close();
            failedKind = static_cast<int>(e.kind());
            detail = e.message();
        } catch (const DatabaseError& e) {
            if (m_abort)
                return;
            failedKind = -1;
            detail = e.message();
        }
        local.close();
        putBack(request);
        retryAt = QDeadlineTimer(delay);
        delay = std::min(m_options.maxRetryMs, delay > m_options.maxRetryMs / 2 ? m_options.maxRetryMs : delay * 2);
        emit failed(failedKind, detail);
    }
}
