#pragma once

#include "desktop/ProcessPriority.h"

#include <QString>

// setpriority(2) on every thread of the process. Linux keeps a nice value per
// thread, so the process id alone would change only the main thread; threads
// started later inherit the value of the thread that starts them.
class SetpriorityProcessPriority : public ProcessPriority
{
public:
    // `taskFolder`: the folder listing the process's threads.
    explicit SetpriorityProcessPriority(const QString& taskFolder = QStringLiteral("/proc/self/task"));

    bool setNice(int nice) override;
    int nice() const override;

private:
    QString m_taskFolder;
};
