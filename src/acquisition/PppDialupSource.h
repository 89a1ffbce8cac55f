#pragma once

#include "acquisition/DialupSource.h"
#include "acquisition/IfRow.h"

#include <vector>

class InterfaceTable;

// The first PPP link that is up, in interface index order, read from the
// interface table; a failed read is an enumeration failure.
class PppDialupSource : public DialupSource
{
public:
    explicit PppDialupSource(InterfaceTable& table);
    DialupStatus query() override;

private:
    InterfaceTable& m_table;
    std::vector<IfRow> m_rows;
};
