#pragma once

#include "desktop/ProcessPriority.h"

#include <vector>

// Records every nice value asked for; while `refuse` is set, refuses every one
// that raises the priority above `current` (as the system does without privilege).
class FakeProcessPriority : public ProcessPriority
{
public:
    bool setNice(int value) override
    {
        asked.push_back(value);
        if (refuse && value < current)
            return false;
        current = value;
        return true;
    }
    int nice() const override { return current; }
    std::vector<int> asked;
    int current = 0;
    bool refuse = false;
};
