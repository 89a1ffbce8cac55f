#include "acquisition/NicSampling.h"

#include "acquisition/TNic.h"
#include "config/QuantityFormat.h"

#include <algorithm>

bool sampleInterfaceTable(InterfaceTable& table, const std::vector<TNic*>& v, bool sonderModus)
{
    std::vector<IfRow> rows;
    if (!table.read(rows))
        return false;
    const size_t n = std::min(rows.size(), v.size());
    for (size_t i = 0; i < n; ++i) {
        TNic* nic = v[i];
        if (!nic || !(nic->anzeigen_live || nic->anzeigen_graph) || nic->isDfu())
            continue;
        // Position first, ID second: a shifted row is left alone until positions agree again.
        if (TNic::adapterId(rows[i].index, sonderModus) != nic->Index)
            continue;
        nic->set_wert_received(static_cast<long double>(rows[i].inOctets));
        nic->set_wert_send(static_cast<long double>(rows[i].outOctets));
    }
    return true;
}

LiveGridRow liveGridRow(const TNic& nic, const int& base, const TSprache& sprache)
{
    LiveGridRow row;
    row.cells[0] = nic.Name;
    row.cells[1] = FormatQuantity(nic.get_rate_send(), base, sprache);
    row.cells[2] = FormatQuantity(nic.get_rate_received(), base, sprache);
    row.cells[3] = FormatQuantity(nic.get_gesamt_send(), base, sprache);
    row.cells[4] = FormatQuantity(nic.get_gesamt_received(), base, sprache);
    row.cells[5] = nic.Index;
    return row;
}

std::vector<LiveGridRow> liveGridRows(const std::vector<TNic*>& v, const int& base,
                                      const TSprache& sprache)
{
    std::vector<LiveGridRow> out;
    for (const TNic* nic : v) {
        if (!nic || !nic->anzeigen_live || nic->isDfu())
            continue;
        out.push_back(liveGridRow(*nic, base, sprache));
    }
    return out;
}

int liveGridRowCount(const std::vector<TNic*>& v)
{
    int count = 1;
    for (const TNic* nic : v)
        if (nic && nic->anzeigen_live)
            ++count;
    return count;
}
