#include "update/TUpdateThread.h"

#include "base/ExceptionLog.h"
#include "update/HttpClient.h"

#include <QElapsedTimer>

namespace {

// Progress more often than this would only fill the window's event queue.
constexpr qint64 kProgressIntervalMs = 40;

} // namespace

TUpdateThread::TUpdateThread(HttpClient& http, const UpdateJob& job, QObject* parent)
    : QThread(parent)
    , m_http(http)
    , m_job(job)
{
    static const int registered = qRegisterMetaType<UpdateDownloadOutcome>();
    Q_UNUSED(registered);
}

bool TUpdateThread::downloadsAfter(const UpdateJob& job, int checkResult)
{
    return !job.manual && checkResult == UpdateCheckOutcome::Newer && (job.mode == 2 || job.mode == 3);
}

void TUpdateThread::run()
{
    if (m_job.check) {
        const UpdateCheckOutcome outcome = CheckForUpdates(m_http, m_job.request);
        const bool log = !outcome.failure.isEmpty() && m_job.logCheckFailure;
        if (log)
            LogException(outcome.failure, outcome.failureClass);
        emit checked(outcome.result, outcome.serverVersion, log);
        if (!downloadsAfter(m_job, outcome.result))
            return;
    }
    QElapsedTimer sinceLast;
    qint64 expected = -1;
    HttpProgress progress;
    progress.begin = [&](qint64 length) {
        expected = length;
        sinceLast.start();
        emit workBegin(length);
    };
    progress.work = [&](qint64 received) {
        if (received == expected || sinceLast.elapsed() >= kProgressIntervalMs) {
            sinceLast.restart();
            emit work(received);
        }
    };
    progress.end = [&] { emit workEnd(); };
    emit downloaded(UpdateHerunterladen(m_http, m_job.listAddress, m_job.folder, progress));
}
