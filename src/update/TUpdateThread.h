#pragma once

#include "update/CheckForUpdates.h"
#include "update/UpdateHerunterladen.h"

#include <QThread>

class HttpClient;

// What one run of the update thread does, fixed when it starts.
struct UpdateJob
{
    bool manual = true;
    int mode = 0;                // Update_ComboBox: 2 and 3 download after an automatic check
    bool check = true;           // false: the download only (the update button)
    bool logCheckFailure = true;
    UpdateCheckRequest request;
    QString listAddress;         // "urls" of the variables file
    QString folder;              // where the download goes
};

Q_DECLARE_METATYPE(UpdateDownloadOutcome)

// The update check and the download, off the user-interface thread. Results
// and progress leave as signals, which reach the window's thread queued.
class TUpdateThread : public QThread
{
    Q_OBJECT
public:
    TUpdateThread(HttpClient& http, const UpdateJob& job, QObject* parent = nullptr);

    const UpdateJob& job() const { return m_job; }
    // Whether the check's result leads on to the download in the same run.
    static bool downloadsAfter(const UpdateJob& job, int checkResult);

signals:
    void checked(int result, const QString& serverVersion, bool failureLogged);
    void workBegin(qint64 expected);
    void work(qint64 received);
    void workEnd();
    void downloaded(const UpdateDownloadOutcome& outcome);

protected:
    void run() override;

private:
    HttpClient& m_http;
    const UpdateJob m_job;
};
