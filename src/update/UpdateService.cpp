#include "update/UpdateService.h"

#include "base/Clock.h"
#include "config/IniFile.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "storage/DayNumber.h"
#include "update/HttpClient.h"
#include "update/UpdateInstallieren.h"

#include <QPointer>

namespace {

QString variable(const char* key)
{
    try {
        return IniReadString(QStringLiteral("Variablen"), QString::fromLatin1(key), variablesFilePath());
    } catch (const IniError&) {
        return {};   // an unreadable variables file leaves the address empty, and the transfer fails
    }
}

const char* statusKey(int result)
{
    switch (result) {
    case UpdateCheckOutcome::NotNewer: return "Update1";
    case UpdateCheckOutcome::Same: return "Update2";
    case UpdateCheckOutcome::Newer: return "Update3";
    case UpdateCheckOutcome::CheckedToday: return "Update6";
    default: return "Update0";
    }
}

// Why a download was refused, in the user's language; the engine's own text for the rest.
const char* failureKey(HttpError::Kind kind)
{
    switch (kind) {
    case HttpError::Kind::TooLarge: return "Update12";
    case HttpError::Kind::LongerThanAnnounced: return "Update13";
    case HttpError::Kind::Deadline: return "Update14";
    case HttpError::Kind::NoRoom: return "Update15";
    case HttpError::Kind::NotHttps: return "Update16";
    case HttpError::Kind::Failed: break;
    }
    return nullptr;
}

} // namespace

UpdateService::UpdateService(HttpClient& http, TVerInfo& verInfo, const TSprache& sprache, const Clock& clock,
                             double& lastupdate, QObject* parent)
    : QObject(parent)
    , m_http(http)
    , m_verInfo(verInfo)
    , m_sprache(sprache)
    , m_clock(clock)
    , m_lastupdate(lastupdate)
{
}

UpdateService::~UpdateService()
{
    shutdown();
}

QString UpdateService::updateText(const char* key) const
{
    return m_sprache.text(QStringLiteral("Updates"), QString::fromLatin1(key));
}

QString UpdateService::errorText(const char* key) const
{
    return m_sprache.error(QString::fromLatin1(key));
}

UpdateJob UpdateService::newJob(bool manual, int mode) const
{
    UpdateJob job;
    job.manual = manual;
    job.mode = mode;
    job.request.versionAddress = variable("Update");
    job.request.installedVersion = m_verInfo.FileVersion();
    job.request.lastCheck = UpdateSchedule::lastCheckDate(m_lastupdate);
    job.request.today = m_clock.today();
    job.listAddress = variable("urls");
    job.folder = programFolder();
    return job;
}

void UpdateService::start(const UpdateJob& job)
{
    m_http.clearAbort();
    m_job = job;
    auto* thread = new TUpdateThread(m_http, job);
    m_thread = thread;
    connect(thread, &TUpdateThread::checked, this, &UpdateService::onChecked);
    connect(thread, &TUpdateThread::downloaded, this, &UpdateService::onDownloaded);
    connect(thread, &TUpdateThread::workBegin, this, &UpdateService::progressBegin);
    connect(thread, &TUpdateThread::work, this, &UpdateService::progressAt);
    connect(thread, &TUpdateThread::workEnd, this, &UpdateService::progressEnd);
    connect(thread, &QThread::finished, this, [this, guard = QPointer<TUpdateThread>(thread)] {
        if (!guard)
            return;   // already waited for and deleted at shutdown
        if (m_thread == guard)
            m_thread = nullptr;
        guard->deleteLater();
    });
    // Not the idle class: on a busy machine that would starve the transfer.
    thread->start(QThread::LowestPriority);
}

void UpdateService::checkManually()
{
    if (running() || m_shutDown)
        return;
    emit showRequested();
    start(newJob(true, 0));
}

bool UpdateService::automaticDue(int mode) const
{
    return !running() && !m_shutDown && m_schedule.due(mode, m_lastupdate, m_clock.now());
}

void UpdateService::checkAutomatically(int mode)
{
    if (!automaticDue(mode))
        return;
    UpdateJob job = newJob(false, mode);
    job.logCheckFailure = m_schedule.logsFailure(job.request.today);
    start(job);
}

void UpdateService::UpdateButtonClick()
{
    if (running() || m_shutDown)
        return;
    UpdateJob job = newJob(true, 0);
    job.check = false;
    start(job);
}

void UpdateService::InstallButtonClick()
{
    if (running() || m_shutDown)
        return;
    install();
}

void UpdateService::abortTransfer()
{
    if (running())
        m_http.abort();
}

void UpdateService::shutdown()
{
    m_shutDown = true;
    if (!m_thread)
        return;
    m_http.abort();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void UpdateService::onChecked(int result, const QString& serverVersion, bool failureLogged)
{
    if (m_shutDown)
        return;
    if (result >= UpdateCheckOutcome::NotNewer && result <= UpdateCheckOutcome::Newer) {
        m_lastupdate = dayNumberOf(m_job.request.today);
        m_verInfo.setUpdateInfo(0, serverVersion);
    }
    if (!m_job.manual && result == UpdateCheckOutcome::Failed)
        m_schedule.automaticCheckFailed(m_clock.now(), failureLogged);
    if (m_job.manual) {
        emit statusChanged(updateText(statusKey(result)));
        if (result == UpdateCheckOutcome::Newer)
            offerUpdate();
    } else if (result == UpdateCheckOutcome::Newer) {
        emit statusChanged(updateText("Update3"));
        emit showRequested();
        offerUpdate();
    }
}

void UpdateService::offerUpdate()
{
    emit updateOffered(updateText("Update7") + QStringLiteral(" (") + m_verInfo.UpdateInfo().value(0)
                           + QStringLiteral(") ") + updateText("Update8"),
                       updateText("UpdatebuttonHint"));
}

void UpdateService::onDownloaded(const UpdateDownloadOutcome& outcome)
{
    if (m_shutDown)
        return;
    if (outcome.kind != UpdateDownloadOutcome::ListFailed) {
        m_verInfo.setUpdateInfo(1, outcome.downloadAddress);
        m_verInfo.setUpdateInfo(2, outcome.secondAddress);
    }
    switch (outcome.kind) {
    case UpdateDownloadOutcome::ListFailed:
        emit statusChanged(errorText("Error38") + QLatin1Char(' ') + outcome.message);
        emit updateButtonDisabled();
        break;
    case UpdateDownloadOutcome::NoDownload:
        emit statusChanged(errorText("Error39"));
        break;
    case UpdateDownloadOutcome::Failed:
        if (const char* key = failureKey(outcome.failure))
            emit statusChanged(errorText("Error40") + QLatin1Char(' ') + updateText(key));
        else
            emit statusChanged(errorText("Error40") + QLatin1Char(' ') + outcome.message);
        emit updateButtonDisabled();
        break;
    case UpdateDownloadOutcome::Done:
        emit statusChanged(updateText("Update9"));
        if (m_job.manual || m_job.mode == 2)
            emit installOffered(updateText("Update10"));
        else if (m_job.mode == 3)
            install();
        break;
    }
}

void UpdateService::install()
{
    const UpdateInstallOutcome outcome =
        UpdateInstallieren(m_verInfo.UpdateInfo().value(1), variable("Updater"), programFolder());
    switch (outcome.kind) {
    case UpdateInstallOutcome::NoDownload: emit statusChanged(errorText("Error39")); break;
    case UpdateInstallOutcome::Failed: emit statusChanged(updateText("Update11") + QLatin1Char(' ') + outcome.message); break;
    case UpdateInstallOutcome::Started: emit closeRequested(); break;
    }
}
