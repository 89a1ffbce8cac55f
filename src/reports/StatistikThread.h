#pragma once

#include "config/TSprache.h"
#include "reports/StatistikQuery.h"

#include <QString>
#include <QThread>

#include <atomic>

// One statistics query on a connection of its own, with the options taken
// when it was made. Its results reach the thread that made it (the window's)
// through queued signals; requestInterruption() ends a run at once.
class StatistikThread : public QThread
{
    Q_OBJECT
public:
    StatistikThread(QString databasePath, StatistikRequest request, int base, TSprache sprache,
                    QObject* parent = nullptr);

    // Whether the run got as far as its result; a run stopped before does not.
    bool completed() const { return m_completed; }

signals:
    void resultReady(const StatistikView& view);
    // The table could not be read; `detail` is the engine's reason.
    void queryFailed(const QString& detail);

protected:
    void run() override;

private:
    QString m_databasePath;
    StatistikRequest m_request;
    int m_base;
    TSprache m_sprache;
    std::atomic<bool> m_completed{false};
};
