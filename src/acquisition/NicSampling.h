#pragma once

#include "acquisition/InterfaceTable.h"

#include <QString>
#include <vector>

class TNic;
class TSprache;

// Sampling step of one adapter engine tick: one read of the interface table;
// every sampled adapter takes the counters of the row with its interface
// index, wherever that row stands. An adapter whose interface is gone keeps
// its totals and shows rates of 0; it counts on when its index comes back.
// Rows that no entry stands for are kept for the caller to adopt.
class InterfaceSampler
{
public:
    // False when the table could not be read: nothing is updated then.
    bool sample(InterfaceTable& table, const std::vector<TNic*>& v);
    // Rows of the last read that no entry of v stood for, in index order.
    const std::vector<IfRow>& appeared() const { return m_appeared; }

private:
    std::vector<IfRow> m_rows;
    std::vector<IfRow> m_appeared;
    std::vector<TNic*> m_byIndex;
};

// One sample of an entry from its row: received first, then send.
void feedRow(TNic& nic, const IfRow& row);

// Texts of one live grid data row: Name, rate send, rate received, total send,
// total received, Index.
struct LiveGridRow
{
    QString cells[6];
};

// The six texts of one entry's grid row.
LiveGridRow liveGridRow(const TNic& nic, const int& base, const TSprache& sprache);

// Data rows the adapter engine writes: every adapter (not the dial-up entry)
// shown in the live grid, in the order of v.
std::vector<LiveGridRow> liveGridRows(const std::vector<TNic*>& v, const int& base,
                                      const TSprache& sprache);

// Rows of the live grid: the header plus every entry shown there, dial-up included.
int liveGridRowCount(const std::vector<TNic*>& v);
