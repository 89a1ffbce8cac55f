// The main window's timers: adapter and dial-up sampling, the day check and
// the cache writes, and the live grid they fill.
#include "app/TMainform.h"

#include "acquisition/Clock.h"
#include "acquisition/DayRollover.h"
#include "acquisition/DialupSampling.h"
#include "app/BerichteTab.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "config/IniFile.h"
#include "config/TSprache.h"
#include "graph/ui/TGraphenform.h"
#include "reports/AutoBerichtRhythm.h"
#include "storage/CounterCache.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

#include <limits>

void TMainform::NicEngineTimer()
{
    m_sampleContext.intervalMs = NicEngine->interval();
    m_sampleContext.bewareOfTrafficDouble = TabSheet2->Bewareoftrafficdouble->isChecked();
    QStringList warnings;
    try {
        // Interfaces that appeared since the last tick are taken on and sampled from now on.
        if (m_services.interfaceTable && m_sampler.sample(*m_services.interfaceTable, v))
            warnings = adoptInterfaces(m_sampler.appeared());
    } catch (const std::exception&) {
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error9")));
        if (m_closed)
            return; // closed while the message was open: the entries are gone
    }
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
    updateTray();
    for (const QString& key : warnings) {
        message(MessageSink::Icon::Warning, m_sprache->error(key));
        if (m_closed)
            return;
    }
}

void TMainform::DfuEngineTimer()
{
    if (v.empty() || !v.back()->isDfu() || !m_services.dialupSource)
        return;
    TNic& entry = *v.back();
    m_sampleContext.bewareOfTrafficDouble = TabSheet2->Bewareoftrafficdouble->isChecked();
    try {
        TabSheet1->dfulabel->setText(sampleDialup(*m_services.dialupSource, entry, *m_sprache));
    } catch (const std::exception& e) {
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error19")) + QString::fromUtf8(e.what()));
        if (m_closed)
            return;
    }
    if (!NicEngine->isActive()) // else the adapter tick shows it
        updateTray();
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
    const QDate before = Tagesdatum;
    const bool owed = !m_pending.isEmpty();
    const std::vector<TNic*> failed = rollOverDay(Tagesdatum, m_services.clock->today(), v, m_pending);
    // The booked totals must not come back from the cache or the counters file
    // after a crash; what was owed and is booked now neither.
    if (Tagesdatum != before || (owed && m_pending.isEmpty()))
        persistBookedState();
    // Texts first: the window may close while a message is open.
    QStringList texts;
    for (TNic* nic : failed)
        texts << entryText(QStringLiteral("Error10"), *nic);
    for (const QString& text : texts) {
        message(MessageSink::Icon::Error, text);
        if (m_closed)
            return;
    }
    startAutomaticUpdate();
}

void TMainform::persistBookedState()
{
    // The cache goes on with the new day's totals, or goes: one left from before
    // would bring booked totals back.
    if (CacheToHDDTimer->isActive() && Tagesdatum == m_services.clock->today()
        && replaceCache(CounterCache::content(v, Tagesdatum)))
        return;
    replaceCache({});
}

void TMainform::CacheToHDDTimerTimer()
{
    // Never write a past day's totals under the new date: book the day first,
    // which writes the cache itself.
    if (Tagesdatum != m_services.clock->today()) {
        DatumsprueftimerTimer();
        return;
    }
    replaceCache(CounterCache::content(v, m_services.clock->today()));
}

void TMainform::CacheIntervalEditChange(const QString& text)
{
    // Read as the settings reader reads the key, so "0x0A" is 10 minutes here too.
    int minutes = 0;
    const bool ok = parseIniInteger(text.toUtf8(), minutes);
    if (!text.isEmpty() && (!ok || minutes > std::numeric_limits<int>::max() / 60000)) {
        // Too large for the timer: say so and keep the timer as it is.
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error6")));
        return;
    }
    // "0", "00" or nothing: no cache writes (a 0 ms timer would write without pause).
    if (!ok || minutes <= 0) {
        CacheToHDDTimer->stop();
        return;
    }
    // Tests of the executable cannot wait minutes for a cache write.
    bool testing = false;
    const int testingMs = qEnvironmentVariableIntValue("NETZPEGEL_CACHE_INTERVAL_MS", &testing);
    CacheToHDDTimer->start(testing && testingMs > 0 ? testingMs : minutes * 60000);
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
