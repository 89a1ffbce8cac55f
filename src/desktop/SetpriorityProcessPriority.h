#pragma once

#include "desktop/ProcessPriority.h"

// setpriority(2) on the whole process.
class SetpriorityProcessPriority : public ProcessPriority
{
public:
    bool setNice(int nice) override;
};
