#pragma once

// The scheduling priority of the running process. The program passes
// setpriority, tests a fake.
class ProcessPriority
{
public:
    virtual ~ProcessPriority() = default;
    // Nice value -20 (highest) to 19 (lowest); false when the system refused.
    virtual bool setNice(int nice) = 0;
};
