#include "desktop/SetpriorityProcessPriority.h"

#include <sys/resource.h>
#include <unistd.h>

bool SetpriorityProcessPriority::setNice(int nice)
{
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()), nice) == 0;
}
