#pragma once

#include "acquisition/IfRow.h"

#include <vector>

// Source of the interface table. The Linux implementation reads one rtnetlink
// link dump per call; tests use a fake that serves rows they set.
class InterfaceTable
{
public:
    virtual ~InterfaceTable() = default;

    // Opening stands for loading the platform library; false when unavailable.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Fills `rows` sorted by interface index; false (rows untouched) on failure.
    virtual bool read(std::vector<IfRow>& rows) = 0;
};
