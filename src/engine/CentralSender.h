#pragma once

#include "base/MachineIdentity.h"
#include "engine/CentralUpload.h"
#include "storage/PgConnection.h"

#include <QDate>
#include <QHash>
#include <QObject>

#include <functional>

class CentralWorker;
class TSprache;
class TrafficEngine;

// Sends what an engine books to the fleet's central database: the owed days at start and at
// each minute's check, today's running row at every cache write. The window and the service
// each make one when the setting is on, after the engine started, and stop it before the
// engine books at the end. The sending runs on a worker; failures are logged once a day per
// cause, and the days stay owed until the server answers.
class CentralSender : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString connectionString;
        int firstRetryMs = 60000;
        int maxRetryMs = 300000;
        PgConnection::Options connection;
        // Where the failures go; nothing set: error.txt.
        std::function<void(const QString&)> log;
        QString machineIdFile = QStringLiteral("/etc/machine-id");
    };

    CentralSender(TrafficEngine& engine, const TSprache* sprache, Options options, QObject* parent = nullptr);
    ~CentralSender() override;

    // False when nothing is sent (no machine id, no connection string); the reason is logged.
    bool active() const { return m_worker != nullptr; }
    // Stops the worker at once and waits for it; nothing is sent afterwards.
    void stop();
    // Asks for a send now, as a cache write does (today's row too) or a minute's check does.
    void requestSend(bool includeToday);

signals:
    // A send went through (after the worker's signal reached this thread).
    void sent(qint64 rowsSent, qint64 rowsChanged);
    // A failure, as logged or not (once a day per cause).
    void failed(const QString& text);

private:
    void onFailed(int kind, const QString& detail);
    void onSent(qint64 rowsSent, qint64 rowsChanged, const QStringList& skipped);
    void log(const QString& key, const QString& text);

    TrafficEngine& m_engine;
    const TSprache* m_sprache;
    Options m_options;
    MachineIdentity m_machine;
    QString m_target;
    CentralWorker* m_worker = nullptr;
    QHash<QString, QDate> m_loggedOn; // cause -> day last logged
};
