// The main window's timers: adapter and dial-up sampling, the day check and
// the cache writes, and the live grid they fill.
#include "app/TMainform.h"

#include "app/BerichteTab.h"
#include "base/Clock.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "config/TSprache.h"
#include "graph/ui/TGraphenform.h"
#include "reports/AutoBerichtRhythm.h"

#include <QCheckBox>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>


void TMainform::NicEngineTimer()
{
    m_engine->NicEngineTimer();
}

void TMainform::showAdapters()
{
    const bool showing = isVisible(); // a hidden window's grid keeps its old texts
    const std::vector<LiveGridRow> rows = showing ? liveGridRows(v, Umrechnungsfaktor, *m_sprache)
                                                  : std::vector<LiveGridRow>();
    size_t row = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const TNic& nic = *v[i];
        if (nic.isDfu() || (!nic.anzeigen_live && !nic.anzeigen_graph))
            continue;
        try {
            if (nic.anzeigen_live && showing && row < rows.size()) {
                writeGridRow(static_cast<int>(row), rows[row]);
                ++row;
            }
            if (nic.anzeigen_graph)
                feedGraph(i);
        } catch (const std::exception&) {
            // one entry's display failing must not stop the others
        }
    }
    measurePlans(showing);
    updateTray();
}

void TMainform::DfuEngineTimer()
{
    m_engine->DfuEngineTimer();
}

void TMainform::showDialup(const QString& status, bool ok)
{
    if (ok)
        TabSheet1->dfulabel->setText(status);
    if (!NicEngine->isActive()) // else the adapter tick shows it
        updateTray();
    const TNic& entry = *v.back();
    if (!entry.anzeigen_live && !entry.anzeigen_graph)
        return;
    try {
        QTableWidget* grid = TabSheet1->StringGrid1;
        if (entry.anzeigen_live && isVisible()) {
            if (grid->rowCount() == 0)
                RefreshLiveGridRows();
            if (grid->rowCount() > 0)
                writeGridRow(grid->rowCount() - 1, liveGridRow(entry, Umrechnungsfaktor, *m_sprache));
        }
        if (entry.anzeigen_graph)
            feedGraph(v.size() - 1);
    } catch (const std::exception&) {
    }
}

void TMainform::writeGridRow(int row, const LiveGridRow& cells)
{
    QTableWidget* grid = TabSheet1->StringGrid1;
    if (row >= grid->rowCount())
        return;
    for (int c = 0; c < 6; ++c) {
        QTableWidgetItem* item = grid->item(row, c);
        if (!item) {
            item = new QTableWidgetItem();
            grid->setItem(row, c, item);
        }
        item->setText(cells.cells[c]);
    }
}

void TMainform::feedGraph(size_t i)
{
    if (i < g.size())
        g[i]->feed(*v[i], Umrechnungsfaktor, *m_sprache);
}

void TMainform::RefreshLiveGridRows()
{
    // The header is not a grid row here, so the grid holds one row less.
    TabSheet1->StringGrid1->setRowCount(liveGridRowCount(v) - 1);
}

void TMainform::DatumsprueftimerTimer()
{
    m_engine->DatumsprueftimerTimer();
}

void TMainform::CacheToHDDTimerTimer()
{
    m_engine->CacheToHDDTimerTimer();
}

void TMainform::CacheIntervalEditChange(const QString& text)
{
    m_engine->CacheIntervalEditChange(text);
}

void TMainform::AutoBerichtTimerTimer()
{
    const AutoBerichtRhythm::Tick tick = AutoBerichtRhythm::tick(
        AutoBerichtTimer->interval(), m_services.clock->today(), TabSheet4->Bericht_DayOfAutoBericht_Edit->text());
    // A new interval starts the timer's period again.
    if (tick.interval != AutoBerichtTimer->interval())
        AutoBerichtTimer->setInterval(tick.interval);
    // Refused like a click while a run goes on or no unit is chosen; the pause comes all the same.
    if (tick.startReport)
        TabSheet4->Berichte_Erstellen_ButtonClick();
}
