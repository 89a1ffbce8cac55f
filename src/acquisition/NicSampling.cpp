#include "acquisition/NicSampling.h"

#include "acquisition/TNic.h"
#include "config/QuantityFormat.h"

#include <algorithm>

bool InterfaceSampler::sample(InterfaceTable& table, const std::vector<TNic*>& v)
{
    m_appeared.clear();
    if (!table.read(m_rows))
        return false;
    const auto rowOrder = [](const IfRow& a, const IfRow& b) { return a.index < b.index; };
    if (!std::is_sorted(m_rows.begin(), m_rows.end(), rowOrder))
        std::stable_sort(m_rows.begin(), m_rows.end(), rowOrder);
    m_byIndex.clear();
    for (TNic* nic : v)
        if (nic && !nic->isDfu())
            m_byIndex.push_back(nic);
    const auto byIndex = [](const TNic* a, const TNic* b) { return a->ifIndex() < b->ifIndex(); };
    if (!std::is_sorted(m_byIndex.begin(), m_byIndex.end(), byIndex))
        std::stable_sort(m_byIndex.begin(), m_byIndex.end(), byIndex);

    // Both sorted by index: one pass pairs them.
    auto entry = m_byIndex.begin();
    for (const IfRow& row : m_rows) {
        for (; entry != m_byIndex.end() && (*entry)->ifIndex() < row.index; ++entry)
            (*entry)->clearRates();
        if (entry == m_byIndex.end() || (*entry)->ifIndex() != row.index) {
            m_appeared.push_back(row);
            continue;
        }
        for (; entry != m_byIndex.end() && (*entry)->ifIndex() == row.index; ++entry)
            if ((*entry)->anzeigen_live || (*entry)->anzeigen_graph)
                feedRow(**entry, row);
    }
    for (; entry != m_byIndex.end(); ++entry)
        (*entry)->clearRates();
    return true;
}

void feedRow(TNic& nic, const IfRow& row)
{
    nic.set_wert_received(static_cast<long double>(row.inOctets));
    nic.set_wert_send(static_cast<long double>(row.outOctets));
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
