#include "desktop/SetpriorityProcessPriority.h"

#include <QDir>

#include <cerrno>

#include <sys/resource.h>
#include <unistd.h>

SetpriorityProcessPriority::SetpriorityProcessPriority(const QString& taskFolder)
    : m_taskFolder(taskFolder)
{
}

bool SetpriorityProcessPriority::setNice(int nice)
{
    // The main thread first: the threads it starts from now on inherit its value.
    bool ok = ::setpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()), nice) == 0;
    for (const QString& entry : QDir(m_taskFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const id_t tid = entry.toUInt(&number);
        if (!number || tid == static_cast<id_t>(::getpid()))
            continue;
        // A thread that ended meanwhile has nothing to change.
        if (::setpriority(PRIO_PROCESS, tid, nice) != 0 && errno != ESRCH)
            ok = false;
    }
    return ok;
}

int SetpriorityProcessPriority::nice() const
{
    errno = 0;
    const int value = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
    return errno == 0 ? value : 0;
}
