#pragma once

// The scheduling priority of the running process. The program passes
// setpriority, tests a fake.
class ProcessPriority
{
public:
    virtual ~ProcessPriority() = default;
    // Nice value -20 (highest) to 19 (lowest) for the whole process; false when
    // the system refused it.
    virtual bool setNice(int nice) = 0;
    // The nice value the process runs at now.
    virtual int nice() const = 0;
};
