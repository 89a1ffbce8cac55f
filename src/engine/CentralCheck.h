#pragma once

#include "config/TSprache.h"
#include "storage/PgConnection.h"

#include <QString>
#include <QThread>

// The settings tab's test of a connection string, on a thread of its own so the window stays
// alive while a server takes its time: connects, makes or checks the central table and the
// rights on it, and says in plain words what failed. The result reaches the thread that made
// it through a queued signal; requestInterruption() ends a test at once, without a result.
class CentralCheck : public QThread
{
    Q_OBJECT
public:
    CentralCheck(QString connectionString, TSprache sprache, PgConnection::Options options = {},
                 QObject* parent = nullptr);
    ~CentralCheck() override;

signals:
    void checked(bool ok, const QString& text);

protected:
    void run() override;

private:
    QString m_connectionString;
    TSprache m_sprache;
    PgConnection::Options m_options;
};
