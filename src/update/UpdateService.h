#pragma once

#include "update/TUpdateThread.h"
#include "update/UpdateSchedule.h"

#include <QObject>

class Clock;
class HttpClient;
class TSprache;
class TVerInfo;

// The update service on the user-interface thread: starts at most one update
// thread at a time, turns its results into the update window's texts and
// buttons (as signals, so it works with no window at all), keeps the last
// check date and runs the install step.
class UpdateService : public QObject
{
    Q_OBJECT
public:
    // `lastupdate` is the "Lastupdate" value the owner saves; it is set to
    // today after every check that reached the server.
    UpdateService(HttpClient& http, TVerInfo& verInfo, const TSprache& sprache, const Clock& clock,
                  double& lastupdate, QObject* parent = nullptr);
    ~UpdateService() override;

    bool running() const { return m_thread != nullptr; }

    // Menu entry Update1: a manual check, unless an update thread runs.
    void checkManually();
    // The minute's tick: an automatic check in `mode` (Update_ComboBox) is due.
    bool automaticDue(int mode) const;
    void checkAutomatically(int mode);
    void UpdateButtonClick();
    void InstallButtonClick();
    // Cuts the running transfer; the thread then ends by itself.
    void abortTransfer();
    // Cuts the running transfer and waits for the thread; nothing runs after.
    void shutdown();

signals:
    void showRequested();
    void statusChanged(const QString& text);
    void updateOffered(const QString& caption, const QString& hint);
    void updateButtonDisabled();
    void installOffered(const QString& caption);
    void progressBegin(qint64 expected);
    void progressAt(qint64 received);
    void progressEnd();
    // The updater runs: the program is to close so that it can be replaced.
    void closeRequested();

private:
    UpdateJob newJob(bool manual, int mode) const;
    void start(const UpdateJob& job);
    void onChecked(int result, const QString& serverVersion, bool failureLogged);
    void onDownloaded(const UpdateDownloadOutcome& outcome);
    void offerUpdate();
    void install();
    QString updateText(const char* key) const;
    QString errorText(const char* key) const;

    HttpClient& m_http;
    TVerInfo& m_verInfo;
    const TSprache& m_sprache;
    const Clock& m_clock;
    double& m_lastupdate;
    UpdateSchedule m_schedule;
    UpdateJob m_job;
    TUpdateThread* m_thread = nullptr;
    bool m_shutDown = false;
};
