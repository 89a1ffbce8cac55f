#pragma once

#include "acquisition/InterfaceTable.h"

#include <QString>
#include <vector>

class TNic;
class TSprache;

// Sampling step of one adapter engine tick: reads the table once and feeds
// row i into v[i] when that entry is sampled and its ID matches the row's.
// False when the table could not be read (nothing is updated then).
bool sampleInterfaceTable(InterfaceTable& table, const std::vector<TNic*>& v, bool sonderModus);

// Texts of one live grid data row: Name, rate send, rate received, total send,
// total received, Index.
struct LiveGridRow
{
    QString cells[6];
};

// Data rows the adapter engine writes: every adapter (not the dial-up entry)
// shown in the live grid, in the order of v.
// The six texts of one entry's grid row.
LiveGridRow liveGridRow(const TNic& nic, const int& base, const TSprache& sprache);

std::vector<LiveGridRow> liveGridRows(const std::vector<TNic*>& v, const int& base,
                                      const TSprache& sprache);

// Rows of the live grid: the header plus every entry shown there, dial-up included.
int liveGridRowCount(const std::vector<TNic*>& v);
