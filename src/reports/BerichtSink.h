#pragma once

#include <QString>

// Where a report run sends its log lines and progress: the reports tab's log
// and two progress bars, or a terminal.
class BerichtSink
{
public:
    virtual ~BerichtSink() = default;
    virtual void log(const QString& line) = 0;
    // Steps within the current adapter (Berichte_ESPG).
    virtual void adapterProgress(int position, int maximum) = 0;
    // Steps of the whole run (Berichte_GDPB).
    virtual void overallProgress(int position, int maximum) = 0;
    // True ends the run at the next row, without a file and without a log line.
    virtual bool stopRequested() const { return false; }
};
