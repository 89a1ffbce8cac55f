#pragma once

#include "desktop/ProcessPriority.h"

#include <vector>

// Records every nice value asked for; refuses them all while `refuse` is set.
class FakeProcessPriority : public ProcessPriority
{
public:
    bool setNice(int nice) override
    {
        asked.push_back(nice);
        if (refuse)
            return false;
        current = nice;
        return true;
    }
    std::vector<int> asked;
    int current = 0;
    bool refuse = false;
};
