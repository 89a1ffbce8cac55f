#pragma once

#include "config/TSprache.h"
#include "reports/BerichtAdapter.h"
#include "reports/BerichtOptions.h"

#include <QThread>

#include <atomic>

#include <vector>

class Clock;

// One report run on a connection of its own, with the adapter list and the
// options taken when it was made. Log lines and progress reach the thread
// that made it (the window's) through queued signals; requestInterruption()
// ends a run at the next row, leaving the file that was there.
class TBericht : public QThread
{
    Q_OBJECT
public:
    TBericht(QString databasePath, std::vector<BerichtAdapter> adapters, BerichtOptions options, TSprache sprache,
             const Clock* clock, QObject* parent = nullptr);

    // After the run: whether the file was written.
    bool succeeded() const { return m_succeeded; }
    // How far the run got on the overall bar, and that bar's end: a stopped
    // run ends short of it.
    int stepsDone() const { return m_stepsDone; }
    int steps() const { return m_steps; }

signals:
    void logLine(const QString& line);
    // Berichte_ESPG and Berichte_GDPB; sent as often as a bar can show it.
    void adapterProgress(int position, int maximum);
    void overallProgress(int position, int maximum);

protected:
    void run() override;

private:
    QString m_databasePath;
    std::vector<BerichtAdapter> m_adapters;
    BerichtOptions m_options;
    TSprache m_sprache;
    const Clock* m_clock;
    bool m_succeeded = false;
    std::atomic<int> m_stepsDone{0};
    std::atomic<int> m_steps{0};
    friend class TBerichtSink;
};
